// A square cut in two: groups that overlap (both halves, each half, a group holding an edge
// of both), an empty group, and a group with a long name.
SetFactory("OpenCASCADE");
Rectangle(1) = {0, 0, 0, 1, 1};
Rectangle(2) = {1, 0, 0, 1, 1};
BooleanFragments{ Surface{1, 2}; Delete; }{}
Mesh.MeshSizeMin = 0.4;
Mesh.MeshSizeMax = 0.4;
bottom() = Curve In BoundingBox{-0.1, -0.1, -0.1, 2.1, 0.1, 0.1};
Physical Surface("both halves") = {1, 2};
Physical Surface("first half") = {1};
Physical Surface("second half") = {2};
Physical Curve("bottom") = {bottom()};
Physical Curve("nothing") = {};
Physical Surface("a group whose name goes on and on well past the thirty-two characters that some formats keep, so that every layer that carries it has to keep all of it, whatever its length turns out to be in the end") = {2};
