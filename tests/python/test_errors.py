# Every failure reaches Python as an exception carrying the system's own message (and the
# source position that raised it); misuse of the Python layer raises Python's own types.
import sqlite3

import numpy as np
import pytest

import rgn
from conftest import make_set


def test_system_failures_carry_the_systems_messages(model, tmp_path):
    path, _ = model
    s = make_set(0, "A", subsets=[(0, 0, [1, 2], None), (4, 1, [3], None)])
    cases = [
        (lambda: s.subset(2), rgn.Error, "Set data index outside range [0 - 2]: 2",
         "generated/module/rgn/com/impl/rgnC_SetData"),
        (lambda: s.subset(-1), rgn.Error, "Set data index outside range [0 - 2]: -1", None),
        (lambda: s.find_subset(4, 1, rgn.SetType.ELEMENT_SET), rgn.Error,
         "No set matching mesh index 4, class index 1 and type 1 was found.", None),
        (lambda: s.add_subset(0, 0, [1, 2, 3], facet_ids=[1, 2]), rgn.Error,
         "Error - wrong facet ids array length.", "generated/module/rgn/com/impl/rgnC_SubsetData"),
        (lambda: rgn.SetData(0, "B", "EDGE"), rgn.ValueError,
         "omu_PrimEnum(const cow_String&) - str not allowed: EDGE", None),
        (lambda: rgn.SetData(0, "B", 9), rgn.ValueError, "Enum value not allowed: 9", None),
        (lambda: rgn.Region.from_tuple(("S", 0, "x", 0)), rgn.ValueError,
         "Tuple element 2 is a string, not a int", None),
        (lambda: rgn.Region.from_tuple(("S", 0)), rgn.ValueError, "", None),
        (lambda: rgn.open(str(tmp_path / "missing.db")), rgn.Error, "missing.db", None),
    ]
    for call, kind, message, source in cases:
        with pytest.raises(kind) as caught:
            call()
        assert message in str(caught.value)
        assert source is None or caught.value.source == source
        assert caught.value.line > 0
    assert len(s) == 2  # the refused subset was not added
    assert issubclass(rgn.ValueError, ValueError) and issubclass(rgn.ValueError, rgn.Error)

    junk = tmp_path / "junk.db"
    junk.write_bytes(b"this is not a database at all" * 100)
    with pytest.raises(rgn.Error, match="junk.db"):
        rgn.open(str(junk))
    plain = str(tmp_path / "plain.db")
    sqlite3.connect(plain).close()  # an empty SQLite file
    with pytest.raises(rgn.Error, match="not a model database"):
        rgn.open(plain, "w")

    with rgn.open(path) as db:
        for text, message in [
            ("model.sets[3", "model.sets[3"),
            ("model.sets[1].subset[0].x", "a path cannot go below a subset"),
            ("model.sets.subset", "a set-data list has no member 'subset'"),
            ("model.sets[1].faces", "a set data has only the member 'subset'"),
            ("model.sets[9]", "the map holds no entry under key 9"),
            ("model.sets[1].subset[5]", "the map holds no entry under key 5"),
            ("model.nothing", "no root named 'nothing'"),
        ]:
            with pytest.raises(rgn.Error) as caught:
                db.resolve(text)
            assert message in str(caught.value), (text, str(caught.value))
        with pytest.raises(rgn.Error, match="a model database named 'model' is open already"):
            rgn.open(path)
        with pytest.raises(rgn.Error, match="names something else"):
            db.region("model.sets[1].subset[0]")
        with pytest.raises(rgn.Error, match="no root named 'pairs'"):
            db.region_pairs("pairs")
    with pytest.raises(rgn.Error, match="Cannot retrieve set - shortcut is undefined"):
        rgn.Region("R").set()


def test_python_misuse_raises_python_errors():
    s = rgn.SetData(0, "A")
    for bad, kind in [(np.array([1.0, 2.0]), TypeError), (np.array([[1, 2]]), ValueError),
                      (np.array([True]), TypeError), ([2**31], ValueError),
                      (np.array([2**63 + 5], dtype=np.uint64), ValueError), ("12", TypeError)]:
        with pytest.raises(kind):
            s.add_subset(0, 0, bad)
    assert len(s) == 0
    s.add_subset(0, 0, [])  # an empty list is an empty subset, not a float array
    s.add_subset(0, 0, np.array([5, -7], dtype=np.int16))
    assert s.subset(1).ids.tolist() == [5, -7]
    with pytest.raises(ValueError, match="mode"):
        rgn.open("x.db", "rw")
    with pytest.raises(TypeError):
        rgn.Region.from_tuple(("S", 1.5, 0, 0))
    with pytest.raises(ValueError, match="32-bit"):
        rgn.Region.from_tuple(("S", 2**40, 0, 0))
