// A flat bracket: a plate with two bolt holes, meshed in triangles. Physical groups name the
// plate, each hole's edge, the clamped edge and the loaded edge; scripts/run.sh meshes it and
// imports the groups as sets.
SetFactory("OpenCASCADE");
Rectangle(1) = {0, 0, 0, 40, 20};
Disk(2) = {10, 10, 0, 3, 3};
Disk(3) = {30, 10, 0, 3, 3};
BooleanDifference{ Surface{1}; Delete; }{ Surface{2, 3}; Delete; }
Mesh.MeshSizeMin = 1.5;
Mesh.MeshSizeMax = 1.5;
clamped() = Curve In BoundingBox{-0.1, -0.1, -0.1, 0.1, 20.1, 0.1};
loaded() = Curve In BoundingBox{39.9, -0.1, -0.1, 40.1, 20.1, 0.1};
holeA() = Curve In BoundingBox{6.9, 6.9, -0.1, 13.1, 13.1, 0.1};
holeB() = Curve In BoundingBox{26.9, 6.9, -0.1, 33.1, 13.1, 0.1};
Physical Surface("plate") = {1};
Physical Curve("clamped edge") = {clamped()};
Physical Curve("loaded edge") = {loaded()};
Physical Curve("bolt hole A") = {holeA()};
Physical Curve("bolt hole B") = {holeB()};
