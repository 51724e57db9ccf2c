#include "rgnC_ScriptingBridge.h"

#include <memory>

namespace {

constexpr char kTupleKind = '(';
// Name, space, set-type bits and internal flag around the owner names.
constexpr int kFixedElements = 4;

std::unique_ptr<omu_PrimTuple> regionTuple(const rgnC_Region& region) {
    const cls_xpListString& owners = region.OwnerNames();
    auto tuple = std::make_unique<omu_PrimTuple>(owners.Count() + kFixedElements, kTupleKind);
    tuple->Append(region.Name());
    for (int i = 0; i < owners.Count(); ++i)
        tuple->Append(owners.ConstGet(i));
    tuple->Append(region.Space()).Append(region.SetTypeBits()).Append(region.Internal() ? 1 : 0);
    return tuple;
}

std::unique_ptr<omu_PrimTuple> pairTuple(const rgnC_RegionPair& pair) {
    auto tuple = std::make_unique<omu_PrimTuple>(2, kTupleKind);
    tuple->Append(regionTuple(pair.Region1()));
    tuple->Append(regionTuple(pair.Region2()));
    return tuple;
}

} // namespace

omu_Primitive* omu_ReturnPrim(const rgnC_Region& region) { return regionTuple(region).release(); }

omu_Primitive* omu_ReturnPrim(const rgnC_RegionPair& pair) { return pairTuple(pair).release(); }

omu_Primitive* omu_ReturnPrim(const cls_xo1DArrayList<rgnC_RegionPair>& pairs) {
    auto tuple = std::make_unique<omu_PrimTuple>(pairs.Count(), kTupleKind);
    for (int i = 0; i < pairs.Count(); ++i)
        tuple->Append(pairTuple(pairs.Array().PartialArrayConstGet(i)));
    return tuple.release();
}

void omu_Get(omu_PrimTuple& tuple, rgnC_Region& region) {
    const int ownerCount = tuple.Size() - kFixedElements;
    tuple.StartReading();
    const cow_String name = tuple.ReadString();
    cow_List<cow_String> owners;
    for (int i = 0; i < ownerCount; ++i)
        owners.Append(tuple.ReadString());
    const int space = tuple.ReadInt();
    const int setTypeBits = tuple.ReadInt();
    const int internal = tuple.ReadInt();
    tuple.ReadDone(cow_String());
    region = rgnC_Region(name, owners, space, setTypeBits, internal != 0);
}
