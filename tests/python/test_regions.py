# Regions and pairs from and to the scripting bridge's tuples, and stored with their paths.
import rgn
from conftest import make_set


def test_tuples_are_the_bridges():
    # The tuples come from the bridge's omu_ReturnPrim and go back through omu_Get; the C++
    # bridge test (tests/regions/ScriptingBridgeTest.cpp) checks only what a script cannot see.
    bare = rgn.Region("S", [], 7, 12, False)
    assert bare.to_tuple() == ("S", 7, 12, 0)
    region = rgn.Region("S", ["A", "B"], 7, 12, True)
    assert region.to_tuple() == ("S", "A", "B", 7, 12, 1)
    back = rgn.Region.from_tuple(region.to_tuple())
    assert back == region and back.owners == ["A", "B"] and back.internal
    assert back.full_name == "B.S"

    kind = rgn.Region("S", ["A", "B"], 7, 12, True)
    kind.kind = rgn.RegionKind.ELEMENT_SET
    assert rgn.Region.from_tuple(kind.to_tuple()) != kind  # the kind is not carried
    assert rgn.Region.from_tuple(["F", 0, 0, -3]).internal  # any nonzero flag

    pair = rgn.RegionPair(rgn.Region("S", ["A"], 7, 12, False), rgn.Region("S", [], 7, 12, True),
                          True, True, True)
    assert pair.to_tuple() == (("S", "A", 7, 12, 0), ("S", 7, 12, 1))
    assert rgn.pairs_to_tuple([]) == ()
    assert rgn.pairs_to_tuple([pair, rgn.RegionPair(rgn.Region(), rgn.Region())]) == (
        pair.to_tuple(), (("", 0, 0, 0), ("", 0, 0, 0)))
    again = rgn.RegionPair.from_tuple(pair.to_tuple(), ground1=True, ground2=True, suppress=True)
    assert again == pair
    assert rgn.RegionPair.from_tuple(pair.to_tuple()) != pair  # flags are not in the tuple


def test_pairs_stored_with_paths_resolve_after_reopening(tmp_path):
    path = str(tmp_path / "pairs.db")
    with rgn.open(path, "n") as db:
        db.store_sets("sets", [make_set(0, "MASTER", rgn.SetType.SURFACE_SET),
                               make_set(1, "SLAVE", rgn.SetType.NODE_SET)])
        master, slave = db.region("model.sets[0]"), db.region("model.sets[1]")
        assert (master.name, master.set_type_bits, slave.set_type_bits) == ("MASTER", 8, 4)
        db.store_region_pairs("contacts", [rgn.RegionPair(master, slave, False, True, False)])
    with rgn.open(path) as db:
        assert db.roots == ["contacts", "sets"] and db.set_lists == ["sets"]
        (pair,) = db.region_pairs("contacts")
        assert pair.ground2 and not pair.ground1 and pair.region2.path == "model.sets[1]"
        assert pair.region1.set().label == "MASTER"
        assert pair.region2.set().subset(0).ids.tolist() == [3, 1, 2]
