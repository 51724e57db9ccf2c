// A square plate with a round hole in its middle: the plate, its hole's edge, two sides and a
// corner point as physical groups.
SetFactory("OpenCASCADE");
Rectangle(1) = {0, 0, 0, 10, 10};
Disk(2) = {5, 5, 0, 2, 2};
BooleanDifference{ Surface{1}; Delete; }{ Surface{2}; Delete; }
Mesh.MeshSizeMin = 2;
Mesh.MeshSizeMax = 2;
left() = Curve In BoundingBox{-0.1, -0.1, -0.1, 0.1, 10.1, 0.1};
right() = Curve In BoundingBox{9.9, -0.1, -0.1, 10.1, 10.1, 0.1};
hole() = Curve In BoundingBox{2.9, 2.9, -0.1, 7.1, 7.1, 0.1};
corner() = Point In BoundingBox{-0.1, -0.1, -0.1, 0.1, 0.1, 0.1};
Physical Surface("plate") = {1};
Physical Curve("hole") = {hole()};
Physical Curve("left") = {left()};
Physical Curve("right") = {right()};
Physical Point("corner") = {corner()};
