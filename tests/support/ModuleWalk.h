// Reads everything a model database holds through the module's own classes, as far as a
// (possibly damaged) file leads: every root is read as the class it claims to be (set-data
// lists, sets, subsets, regions, region pairs and arrays of them, propagating region lists,
// paths), every stored entry is fetched, every path and every region's path is resolved, and
// what was read is folded into a digest. A damaged file must come out as a nex_Exception.
//
//   ModuleWalk::Start();
//   ddr_Ddb db(cow_String(ModuleWalk::kDdbName), path, ddr_Ddb::Mode::ReadOnly);
//   const std::uint64_t digest = ModuleWalk::ReadEveryRoot(db);
#pragma once

#include "Mix.h"
#include "ModuleStart.h"
#include "cls_Codes.h"
#include "cls_Map2ObjIter.h"
#include "ddr_Ddb.h"
#include "ddr_Root.h"
#include "nex_Exception.h"
#include "rgnC_Paths.h"
#include "rgnC_PropRegionList.h"
#include "rgnC_Region.h"
#include "rgnC_RegionPair.h"
#include "thr_ThreadSingleton.h"

#include <cstdint>

namespace ModuleWalk {

// The database name the seed files' paths name, so that they resolve when read back.
constexpr const char* kDdbName = "model";

inline void Start() {
    StartModule();
}

inline std::uint64_t Ids(const cow_1DArrayList<int>& ids, std::uint64_t h) {
    for (int i = 0; i < ids.Count(); ++i)
        h = Mix(h, static_cast<std::uint32_t>(ids.ConstGet(i)));
    return Mix(h, ids.Count());
}

// Every field of the subset, and its id lookup, which builds the index table.
inline std::uint64_t Digest(const rgnC_SubsetData& s, std::uint64_t h) {
    h = Mix(h, s.SetIndex(), s.SubsetIndex(), s.MeshIndex(), s.ClassIndex(), s.SubsetType(),
            (s.Unsorted() ? 2u : 0u) | (s.ConstructionOk() ? 1u : 0u));
    h = Ids(s.FacetIdArray(), Ids(s.IdArray(), h));
    if (s.IdArray().Count() > 0)
        h = Mix(h, s.LookupIndex(s.IdArray().ConstGet(0)));
    return h;
}

// The set and every subset, by index and by the lookup on mesh, class and type.
inline std::uint64_t Digest(const rgnC_SetData& set, std::uint64_t h) {
    h = Mix(h, set.SetIndex(), set.SetLabel().view(), set.SetType(),
            (set.InternalSet() ? 4u : 0u) | (set.Unsorted() ? 2u : 0u) |
                (set.ConstructionOk() ? 1u : 0u),
            set.NumSubset());
    for (int i = 0; i < set.NumSubset(); ++i) {
        const rgnC_SubsetData& s = set.SubSet(i);
        h = Mix(Digest(s, h),
                set.SubSet(s.MeshIndex(), s.ClassIndex(), s.SubsetType()).SubsetIndex());
    }
    return Mix(h, set.IsEqual(set) ? 1u : 0u);
}

// Every entry of a map, fetched.
template <class T>
std::uint64_t Digest(const cls_Map2Obj<int, T, cow_ArrayCOW<T, cow_Virtual<T>>>& map,
                     std::uint64_t h) {
    cls_Map2ObjIter<int, T, cow_ArrayCOW<T, cow_Virtual<T>>> it(map);
    for (it.First(); !it.IsDone(); it.Next())
        h = Digest(it.CurrentValue(), Mix(h, it.CurrentKey()));
    return Mix(h, map.Count());
}

// The texts of a path, and what it names when it names something.
template <class T>
std::uint64_t DigestPath(const ddr_Shortcut<T>& path, std::uint64_t h) {
    h = Mix(h, path.Path().view(), path.PythonPath().view(), path.IsDefined() ? 1u : 0u);
    if (path.IsDefined())
        h = Digest(path.ConstGet(thr_ThreadSingleton<ddr_Root>::Instance().Fetch()), h);
    return h;
}

// The region's fields, and the set its path names.
inline std::uint64_t Digest(const rgnC_Region& r, std::uint64_t h) {
    h = Mix(h, r.FullName().view(), r.TypeObsolete(), r.SetTypeBits(), r.Space(),
            r.Internal() ? 1u : 0u);
    for (int i = 0; i < r.OwnerNames().Count(); ++i)
        h = Mix(h, r.OwnerNames().ConstGet(i).view());
    h = Mix(h, r.SetDataPath().Path().view());
    if (r.SetDataPath().IsDefined())
        h = Digest(r.ConstSet(), h);
    return h;
}

inline std::uint64_t Digest(const rgnC_RegionPair& p, std::uint64_t h) {
    h = Digest(p.Region2(), Digest(p.Region1(), h));
    return Mix(h, (p.Ground1() ? 4u : 0u) | (p.Ground2() ? 2u : 0u) | (p.Suppress() ? 1u : 0u));
}

template <class List>
std::uint64_t DigestList(const List& list, std::uint64_t h) {
    for (int i = 0; i < list.Count(); ++i)
        h = Digest(list.ConstGet(i), h);
    return Mix(h, list.Count());
}

// Reads one root as the class it is stored as; an id the module does not store as a root goes
// through the region's loader, which must refuse it.
inline std::uint64_t ReadRoot(ddr_Ddb& db, const cow_String& name, std::uint64_t h) {
    h = Mix(h, name.view());
    const auto root = db.Database().FindRoot(name.str());
    const std::uint32_t classId = root ? root->classId : 0;
    h = Mix(h, classId);
    if (classId == cls_MapTypeId)
        return Digest(db.RootObject<rgnC_SetDataMap>(name), h);
    if (classId == rgnC_SetData::TypeId())
        return Digest(db.LoadRoot<rgnC_SetData>(name), h);
    if (classId == rgnC_SubsetData::TypeId())
        return Digest(db.LoadRoot<rgnC_SubsetData>(name), h);
    if (classId == rgnC_RegionPair::TypeId())
        return Digest(db.LoadRoot<rgnC_RegionPair>(name), h);
    if (classId == rgnC_PropRegionList::TypeId()) {
        const auto list = db.LoadRoot<rgnC_PropRegionList>(name);
        return DigestList(list.ConstGet(), Mix(h, list.GetState()));
    }
    if (classId == cls_ListTypeId) {
        // A list of regions or an array of region pairs: its first element tells which.
        const auto elements = db.Database().Rows().ListElements(root->oid);
        if (!elements.empty() && elements.front().classId == rgnC_RegionPair::TypeId())
            return DigestList(db.LoadRoot<rgnC_RegionPairArray>(name), h);
        return DigestList(db.LoadRoot<cls_xoList<rgnC_Region>>(name), h);
    }
    if (classId == rgnC_SetDataPath::TypeId())
        return DigestPath(db.LoadRoot<rgnC_SetDataPath>(name), h);
    if (classId == rgnC_SubsetDataPath::TypeId())
        return DigestPath(db.LoadRoot<rgnC_SubsetDataPath>(name), h);
    if (classId == rgnC_SetDataListPath::TypeId())
        return DigestPath(db.LoadRoot<rgnC_SetDataListPath>(name), h);
    if (classId == rgnC_SubsetDataListPath::TypeId())
        return DigestPath(db.LoadRoot<rgnC_SubsetDataListPath>(name), h);
    return Digest(db.LoadRoot<rgnC_Region>(name), h);
}

// Every root in turn; the first refusal ends the walk.
inline std::uint64_t ReadEveryRoot(ddr_Ddb& db) {
    std::uint64_t h = kDigestSeed;
    for (const cow_String& name : db.RootNames())
        h = ReadRoot(db, name, h);
    return h;
}

} // namespace ModuleWalk
