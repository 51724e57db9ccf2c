# A meshio mesh built in memory, its point and cell sets brought in as node and element sets.
import meshio
import numpy as np

import rgn


def test_point_and_cell_sets_become_node_and_element_sets(tmp_path):
    points = np.zeros((7, 3))
    cells = [("triangle", np.array([[0, 1, 2], [1, 2, 3], [2, 3, 4]])),
             ("quad", np.array([[2, 3, 5, 6], [3, 4, 5, 6]]))]
    mesh = meshio.Mesh(points, cells,
                       point_sets={"left": np.array([0, 1, 6]), "none": np.array([], dtype=int)},
                       cell_sets={"tri": [np.array([2, 0]), np.array([], dtype=int)],
                                  "all": [np.array([0, 1, 2]), np.array([0, 1])]})
    path = str(tmp_path / "mesh.db")
    with rgn.open(path, "n") as db:
        listed = rgn.from_meshio(mesh, db, "mesh")
        assert listed.path == "model.mesh"
    with rgn.open(path) as db:
        sets = db.sets("mesh")
        assert [(sets[k].label, sets[k].type) for k in sets] == [
            ("left", rgn.SetType.NODE_SET), ("none", rgn.SetType.NODE_SET),
            ("tri", rgn.SetType.ELEMENT_SET), ("all", rgn.SetType.ELEMENT_SET)]
        assert sets[0].subset(0).ids.tolist() == [1, 2, 7]
        assert sets[1].subset(0).ids.tolist() == []
        tri = sets[2]
        assert len(tri) == 1 and tri.subset(0).ids.tolist() == [3, 1] and tri.subset(0).unsorted
        everything = sets[3]
        # one subset per cell block, elements numbered through the blocks from 1
        assert [(s.class_index, s.ids.tolist()) for s in everything.subsets] == [
            (0, [1, 2, 3]), (1, [4, 5])]
        assert db.resolve("model.mesh[3].subset[1]").lookup([5, 1]).tolist() == [1, -1]
    with rgn.open(path, "w") as db:
        rgn.from_meshio(mesh, db, "mesh", id_base=0)  # replaces the list
        assert db.sets("mesh")[0].subset(0).ids.tolist() == [0, 1, 6]
