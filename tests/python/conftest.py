# Shared helpers of the rgn module's tests. The module comes from the build tree
# (PYTHONPATH=build/python, set by CTest).
import numpy as np
import pytest

import rgn


def make_set(index, label, kind=rgn.SetType.NODE_SET, subsets=((0, 0, [3, 1, 2], None),)):
    """A set with one subset per (mesh, class, ids, facet ids) entry."""
    s = rgn.SetData(index, label, kind)
    for mesh, cls, ids, facets in subsets:
        s.add_subset(mesh, cls, np.asarray(ids, dtype=np.int32), facet_ids=facets)
    return s


@pytest.fixture
def model(tmp_path):
    """A database file of three sets under root 'sets', closed again; returns its path."""
    path = str(tmp_path / "model.db")
    rng = np.random.default_rng(7)
    big = rng.permutation(40000)[:10000].astype(np.int32) - 5000  # negative ids too
    sets = [
        make_set(0, "FLANGE", rgn.SetType.NODE_SET, [(0, 0, big, None), (1, 0, [7, 8, 9], None)]),
        make_set(1, "WEB", rgn.SetType.ELEMENT_SET, [(0, 5, [10, 11], None), (0, 6, [12], None)]),
        make_set(2, "SKIN", rgn.SetType.SURFACE_SET,
                 [(0, 5, [21, 22, 23], None), (0, 5, [21, 22, 23], [1, 2, 4])]),
    ]
    sets[2].subset(1)  # a subset object made before storing must not matter
    with rgn.open(path, "n") as db:
        db.store_sets("sets", sets)
    return path, big
