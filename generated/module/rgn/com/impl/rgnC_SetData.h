// The stored content of one set of the model: index, label, type, two flags and its subsets,
// each a rgnC_SubsetData under its subset index in `subsetList`.
//
//   rgnC_SetData set(3, cow_String("FLANGE"), res_SetTypeEnm::NODE_SET, false, false);
//   set.AddSubset(mesh, classIndex, ids, res_SetTypeEnm(7), false, {});   // subset 0
//   const rgnC_SubsetData& s = set.SubSet(0);
//
// The subsets are only named here: include rgnC_SubsetData.h to read one.
#pragma once

#include "cls_Map2Obj.h"
#include "cls_Uid.h"
#include "cow_ArrayCOW.h"
#include "cow_String.h"
#include "cow_Virtual.h"
#include "res_SetTypeEnm.h"

#include <cstdint>

class cls_ClassRegistrar;
class cls_MementoRead;
class cls_ReadVisitor;
class cls_WriteVisitor;
class rgnC_SubsetData;
template <class T>
class cow_1DArrayList;

using rgnC_SubsetDataMap =
    cls_Map2Obj<int, rgnC_SubsetData, cow_ArrayCOW<rgnC_SubsetData, cow_Virtual<rgnC_SubsetData>>>;
// Instantiated in rgnC_SetData.cpp, beside the set that reads it.
extern template class cls_Map2Obj<int, rgnC_SubsetData,
                                  cow_ArrayCOW<rgnC_SubsetData, cow_Virtual<rgnC_SubsetData>>>;

class rgnC_SetData {
public:
    // Shares the label; an empty subset map. O(1).
    rgnC_SetData(int setIndex, const cow_String& setLabel, res_SetTypeEnm setType,
                 bool internalSet, bool unsorted);
    // Index -1, no label, a node set, no subsets. O(1).
    rgnC_SetData();
    // Carries the uid; shares the label and the subsets (O(1): no subset is copied).
    rgnC_SetData(const rgnC_SetData& other);
    // Reads the stored record and the subset map's keys from the file (O(numSubset)); the
    // subsets stay in the store until first read.
    explicit rgnC_SetData(const cls_ReadVisitor& rv);
    virtual ~rgnC_SetData();

    // Queues the record and the changed subsets into the write; nothing reaches the file
    // before the write commits. O(changed subsets).
    virtual void DBWrite(const cls_WriteVisitor& wv) const;
    // A new heap copy owned by the caller; shares label and subsets, O(1).
    virtual rgnC_SetData* Copy() const;
    // The registered class id (no allocation, O(1)).
    virtual std::uint32_t DynTypeId() const { return TypeId(); }
    static std::uint32_t TypeId() { return 0x02540003; }

    // The registered reading constructor (allocates the set) and the class's stored layout.
    static void* Ctor(cls_ReadVisitor& rv);
    static void InitializeMetadata(cls_ClassRegistrar& registrar);

    // Adds the next subset (index numSubset). A subset type of 7 means "the set's own type".
    // The id lists are shared with the caller, not copied. A facet list of the wrong length is
    // refused and leaves the set as it was. Allocates the subset; O(log numSubset).
    void AddSubset(int meshIndex, int classIndex, cow_1DArrayList<int> ids,
                   res_SetTypeEnm subsetType, bool unsorted, cow_1DArrayList<int> facetIds);

    // The subset of that index; throws "Set data index outside range [0 - n]: i". O(log n);
    // fetches the subset from the file (one query) on its first read.
    const rgnC_SubsetData& SubSet(int index) const;
    // The first subset (lowest index) of that mesh, class and exact type; throws when none.
    // Walks the subsets in order, fetching each not yet read: O(n) and up to n queries.
    const rgnC_SubsetData& SubSet(int meshIndex, int classIndex, res_SetTypeEnm subsetType) const;

    // Same type and the same subsets (count, mesh, class, type, ids, facet ids); labels,
    // indices and flags take no part. Fetches every subset of both; O(ids) comparisons, less
    // for id lists the two share.
    bool IsEqual(const rgnC_SetData& other) const;

    // Debug listing, whatever the debug level; the subsets' own lines from level 3 on (those
    // fetch every subset).
    void Print() const;

    // The fields as stored: no copy, no fetch, O(1). SubsetList() for writing may un-share
    // the map's tree from other copies when written through.

    int SetIndex() const { return setIndex; }
    bool ConstructionOk() const { return constructionOk; }
    const cow_String& SetLabel() const { return setLabel; }
    int NumSubset() const { return numSubset; }
    res_SetTypeEnm SetType() const { return setType.GetValue(); }
    bool InternalSet() const { return internalSet; }
    bool Unsorted() const { return unsorted; }
    const rgnC_SubsetDataMap& SubsetList() const { return subsetList; }
    rgnC_SubsetDataMap& SubsetList() { return subsetList; }
    const cls_Uid& Uid() const { return uid; }

private:
    // Refuses, as damage of `record`, a read set whose subsets are not the entries 0 to
    // numSubset - 1 of its subset list; gives the list the check of each subset fetched.
    void checkSubsets(const cls_MementoRead& record);

    int setIndex;
    bool constructionOk;
    cow_String setLabel;
    int numSubset;
    omu_PrimEnum<res_SetTypeEnm, 1> setType;
    bool internalSet;
    bool unsorted;
    rgnC_SubsetDataMap subsetList;
    cls_Uid uid;
};
