// Regions, region pairs and arrays of pairs as the scripting layer sees them: tuples of
// primitives. A region is (name, owner names..., space, set-type bits, internal); its kind,
// path and identity stay behind.
//
//   std::unique_ptr<omu_Primitive> t(omu_ReturnPrim(region));   // the caller owns the tuple
//   rgnC_Region back;
//   omu_Get(static_cast<omu_PrimTuple&>(*t), back);
#pragma once

#include "omu_PrimTuple.h"
#include "rgnC_RegionPair.h"

// Each returns a new tuple that the caller owns: allocates one element per name and number,
// copies the texts' handles (not their characters), O(owner names) per region.
omu_Primitive* omu_ReturnPrim(const rgnC_Region& region);
// (region1 tuple, region2 tuple): the pair's flags and identity are not part of it.
omu_Primitive* omu_ReturnPrim(const rgnC_RegionPair& pair);
// One pair tuple per element, in index order.
omu_Primitive* omu_ReturnPrim(const cls_xo1DArrayList<rgnC_RegionPair>& pairs);

// Replaces every field of `region` by a new region read from a region tuple: its path becomes
// undefined, its kind None, its uid fresh. A tuple that cannot be read throws and leaves the
// region as it was. Allocates the new region's owner list; O(tuple size).
void omu_Get(omu_PrimTuple& tuple, rgnC_Region& region);
