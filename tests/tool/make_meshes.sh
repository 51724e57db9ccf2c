#!/bin/sh
# Meshes every tests/data/*.geo with the gmsh binary, once for the whole tool suite, into
# MSH 4.1 and 2.2, ASCII and binary, all from one meshing so that the four files hold the same
# mesh: <name>_41a.msh, <name>_41b.msh, <name>_22a.msh, <name>_22b.msh.
#   make_meshes.sh DATA_DIR OUT_DIR
set -eu
data="$1"
out="$2"
rm -rf "$out"
mkdir -p "$out"
for geo in "$data"/*.geo; do
    name="$(basename "$geo" .geo)"
    cat > "$out/$name.driver.geo" <<GEO
Include "$geo";
Mesh 3;
Mesh.MshFileVersion = 4.1; Mesh.Binary = 0; Save "$out/${name}_41a.msh";
Mesh.Binary = 1; Save "$out/${name}_41b.msh";
Mesh.MshFileVersion = 2.2; Mesh.Binary = 0; Save "$out/${name}_22a.msh";
Mesh.Binary = 1; Save "$out/${name}_22b.msh";
GEO
    gmsh "$out/$name.driver.geo" - >"$out/$name.log" 2>&1 || { cat "$out/$name.log"; exit 1; }
done
