// Two boxes that share one face: a physical group for each volume, one for the shared face and
// one for the outer faces of the first box.
SetFactory("OpenCASCADE");
Box(1) = {0, 0, 0, 1, 1, 1};
Box(2) = {1, 0, 0, 1, 1, 1};
BooleanFragments{ Volume{1, 2}; Delete; }{}
Mesh.MeshSizeMin = 0.5;
Mesh.MeshSizeMax = 0.5;
shared() = Surface In BoundingBox{0.9, -0.1, -0.1, 1.1, 1.1, 1.1};
leftFaces() = Surface In BoundingBox{-0.1, -0.1, -0.1, 1.1, 1.1, 1.1};
leftFaces() -= shared();
Physical Volume("left block") = {1};
Physical Volume("right block") = {2};
Physical Surface("interface") = {shared()};
Physical Surface("left outside") = {leftFaces()};
