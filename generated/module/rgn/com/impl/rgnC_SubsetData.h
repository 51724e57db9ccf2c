// The contents of one subset of a set: the ids the set holds in one mesh and one class of data,
// with an optional parallel list of facet ids, and a fast id-to-position lookup.
//
// Subsets are made by rgnC_SetData::AddSubset. Copies share the id lists (no id is copied).
//
//   int where = subset.LookupIndex(1042);   // 0-based position, or 0x7FFFFFFF when absent
#pragma once

#include "cls_Uid.h"
#include "cls_xp1DArrayListInt.h"
#include "omi_IntTable.h"
#include "res_SetTypeEnm.h"

#include <cstdint>

class cls_ClassRegistrar;
class cls_ReadVisitor;
class cls_WriteVisitor;

class rgnC_SubsetData {
public:
    // What LookupIndex answers for an id the subset does not hold.
    static constexpr int kNotFound = 0x7FFFFFFF;

    // Shares both lists (O(1), no id is copied). Throws "Error - wrong facet ids array
    // length." when facetIds is not empty and not as long as ids.
    rgnC_SubsetData(int meshIndex, int classIndex, int subsetIndex, int setIndex,
                    res_SetTypeEnm subsetType, bool unsorted, cow_1DArrayList<int> ids,
                    cow_1DArrayList<int> facetIds);
    // Carries the uid and shares the lists (O(1)); the lookup table starts empty.
    rgnC_SubsetData(const rgnC_SubsetData& other);
    rgnC_SubsetData& operator=(const rgnC_SubsetData& other);
    // Reads the stored record and its two id lists from the file (each list one packed block
    // copied into memory, O(ids)); the lookup table starts empty.
    explicit rgnC_SubsetData(const cls_ReadVisitor& rv);
    virtual ~rgnC_SubsetData();

    // A new heap copy owned by the caller (the copy-on-write holders duplicate subsets with
    // it); shares the lists, O(1).
    virtual rgnC_SubsetData* Copy() const;
    // Queues the record and both id lists (each one packed block, O(ids)) into the write.
    virtual void DBWrite(const cls_WriteVisitor& wv) const;

    // The registered reading constructor (allocates the subset), the stored layout, and the
    // class ids (O(1)).
    static void* Ctor(cls_ReadVisitor& rv);
    static void InitializeMetadata(cls_ClassRegistrar& registrar);
    virtual std::uint32_t DynTypeId() const { return TypeId(); }
    static std::uint32_t TypeId() { return 0x02540004; }

    // The 0-based position of `id`, or kNotFound. The first call after construction, copy or
    // assignment builds the id table in one pass; later calls cost one table lookup.
    int LookupIndex(int id) const;

    // Debug listing at debug level 3 and above (O(ids)); throws "Error - set not loaded."
    // when the subset holds no ids, whatever the level.
    void Print() const;

    // The fields as stored: no copy, no fetch, O(1).

    bool ConstructionOk() const { return constructionOk; }
    bool Unsorted() const { return unsorted; }
    const cls_xp1DArrayListInt& IdArray() const { return idArray; }
    const cls_xp1DArrayListInt& FacetIdArray() const { return facetIdArray; }
    res_SetTypeEnm SubsetType() const { return subsetType.GetValue(); }
    int SetIndex() const { return setIndex; }
    int SubsetIndex() const { return subsetIndex; }
    int MeshIndex() const { return meshIndex; }
    int ClassIndex() const { return classIndex; }
    const cls_Uid& Uid() const { return uid; }

private:
    void rebuildIndexTable() const;

    bool constructionOk;
    bool unsorted;
    cls_xp1DArrayListInt idArray;
    cls_xp1DArrayListInt facetIdArray;
    omu_PrimEnum<res_SetTypeEnm, 1> subsetType;
    int setIndex;
    int subsetIndex;
    int meshIndex;
    int classIndex;
    cls_Uid uid;
    // Cache of id -> 1-based position; never stored or compared.
    mutable omi_IntTable<int> indexTable;
};
