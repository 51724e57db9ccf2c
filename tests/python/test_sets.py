# Databases, sets and subsets from Python: store, reopen, read, resolve, look up; and what
# objects handed to Python do once their database is closed.
import threading

import numpy as np
import pytest

import rgn
from conftest import make_set


def test_stored_sets_read_back_whole(model):
    path, big = model
    with rgn.open(path) as db:
        assert db.roots == ["sets"] and db.set_lists == ["sets"]
        sets = db.sets("sets")
        assert sets.keys() == [0, 1, 2] and len(sets) == 3 and 2 in sets and 3 not in sets
        flange, web, skin = (sets[k] for k in sets)
        assert (flange.label, flange.type, len(flange)) == ("FLANGE", rgn.SetType.NODE_SET, 2)
        np.testing.assert_array_equal(flange.subset(0).ids, big)
        assert flange.subset(0).ids.dtype == np.int32 and flange.subset(0).unsorted
        assert not flange.subset(1).unsorted
        # subsets take the set's type unless given one; indices follow the calls
        assert [(s.index, s.set_index, s.class_index, s.type) for s in web.subsets] == [
            (0, 1, 5, rgn.SetType.ELEMENT_SET), (1, 1, 6, rgn.SetType.ELEMENT_SET)]
        np.testing.assert_array_equal(skin.subset(1).facet_ids, [1, 2, 4])
        assert len(skin.subset(0).facet_ids) == 0
        assert skin.find_subset(0, 5, "SURFACE_SET").index == 0  # the first match wins
        ids = flange.subset(0).ids
        with pytest.raises(ValueError):
            ids[0] = 1  # a snapshot of stored ids, not a way to change them
        assert flange.subset(0) is flange.subset(0)  # one object (one lookup table) per index


def test_resolve_every_level_in_both_spellings(model):
    path, big = model
    with rgn.open(path) as db:
        assert isinstance(db.resolve("model.sets"), rgn.SetList)
        assert db.resolve("model.sets[1]").label == "WEB"
        assert [len(s) for s in db.resolve("model.sets[2].subset")] == [3, 3]
        sub = db.resolve("ddb('model').sets[0].subset[0]")
        np.testing.assert_array_equal(sub.ids, big)
        assert db.resolve('ddb("model").sets[0].subset[1]').ids.tolist() == [7, 8, 9]
    with rgn.open(path, name="other") as db:
        assert db.resolve("other.sets[1]").label == "WEB"
        with pytest.raises(rgn.Error, match="names the model database 'model', not 'other'"):
            db.resolve("model.sets[1]")


def test_lookup_matches_positions_for_any_integer_input(model):
    path, big = model
    with rgn.open(path) as db:
        sub = db.resolve("model.sets[0].subset[0]")
    rng = np.random.default_rng(11)
    probes = rng.integers(-6000, 36000, size=20000)  # int64, about a quarter hits
    where = {int(v): i for i, v in enumerate(big)}
    expected = np.array([where.get(int(v), -1) for v in probes], dtype=np.int32)
    got = sub.lookup(probes)
    assert got.dtype == np.int32 and (got >= 0).sum() > 1000
    np.testing.assert_array_equal(got, expected)
    np.testing.assert_array_equal(sub.lookup(probes.astype(np.int32).reshape(100, 200)),
                                  expected.reshape(100, 200))
    np.testing.assert_array_equal(sub.lookup(probes[::3]), expected[::3])  # strided input
    assert sub.lookup([int(big[5]), 2**40, -2**40]).tolist() == [5, -1, -1]
    assert sub.lookup(np.array([], dtype=np.int64)).shape == (0,)
    with pytest.raises(TypeError, match="integers"):
        sub.lookup(np.array([1.5]))

    # an id held twice answers its first position, for the whole array as for one id
    twice = make_set(0, "T", subsets=[(0, 0, [5, 3, 5, 7, 3], None), (0, 0, [1, 2, 9], None)])
    assert twice.subset(0).lookup([5, 3, 7, 9]).tolist() == [0, 1, 3, -1]
    assert [twice.subset(0).lookup([i]).tolist() for i in (5, 3)] == [[0], [1]]
    assert twice.subset(1).lookup([9, 2, 1, 0]).tolist() == [2, 1, 0, -1]


def test_objects_outlive_their_database_safely(model):
    path, big = model
    with rgn.open(path) as db:
        sets = db.sets()
        flange = sets[0]  # its subsets are not read yet
        region = db.region("model.sets[1]")
    # the set keeps the file's storage alive: its subsets are read after the close
    np.testing.assert_array_equal(flange.subset(0).ids, big)
    assert flange.subset(1).lookup([9]).tolist() == [2]
    with pytest.raises(rgn.Error, match=r"model database 'model' \(.*\) is closed"):
        len(sets)
    with pytest.raises(rgn.Error, match="is closed"):
        db.resolve("model.sets[0]")
    assert region.name == "WEB" and region.path == "model.sets[1]"
    with pytest.raises(rgn.Error, match="no model database named 'model' is open"):
        region.set()
    db.close()  # again: nothing


def test_a_database_belongs_to_the_thread_that_opened_it(model):
    path, _ = model
    caught = []
    with rgn.open(path) as db:
        worker = threading.Thread(target=lambda: caught.append(pytest.raises(rgn.Error, db.sets)))
        worker.start()
        worker.join()
        assert "belongs to the thread that opened it" in str(caught[0].value)
        # another thread has its own root: the same name is free there
        opened = []
        other = threading.Thread(target=lambda: opened.append(rgn.open(path).sets().keys()))
        other.start()
        other.join()
        assert opened == [[0, 1, 2]]


def test_writes_commit_at_once_and_refuse_where_they_must(model, tmp_path):
    path, _ = model
    with rgn.open(path, "w") as db:
        sets = db.sets()
        sets[7] = make_set(7, "NEW", rgn.SetType.ELEMENT_SET, [(2, 3, [5, 6], None)])
        sets.update({1: make_set(1, "WEB2"), 8: make_set(8, "EIGHT")})
        with pytest.raises(TypeError, match="rgn.SetData"):
            sets.update({9: make_set(9, "NINE"), 10: "not a set"})
        stored = sets[7]
        with pytest.raises(rgn.Error, match="read-only"):
            stored.add_subset(0, 0, [1])
    with rgn.open(path) as db:
        sets = db.sets()
        assert sets.keys() == [0, 1, 2, 7, 8]  # the refused update stored nothing
        assert sets[7].subset(0).ids.tolist() == [5, 6] and sets[1].label == "WEB2"
        with pytest.raises(rgn.Error, match="opened read-only: nothing can be stored"):
            db.store_sets("more", [make_set(0, "X")])
        with pytest.raises(rgn.Error, match="read-only"):
            sets[3] = make_set(3, "X")

    # replacing a list that the database keeps (resolved through a path) replaces it whole
    with rgn.open(path, "w") as db:
        assert db.resolve("model.sets[8]").label == "EIGHT"
        db.store_sets("sets", {4: make_set(4, "ONLY")})
        assert db.sets().keys() == [4]
    with rgn.open(path) as db:
        assert db.sets().keys() == [4] and db.resolve("model.sets[4]").label == "ONLY"
    # a set read from one file stores into another with every subset
    other = str(tmp_path / "copy.db")
    with rgn.open(path) as src, rgn.open(other, "c", name="copy") as dst:
        dst.store_sets("sets", [src.sets()[4]])
    with rgn.open(other) as db:
        assert db.sets()[0].same_contents(make_set(0, "whatever"))
