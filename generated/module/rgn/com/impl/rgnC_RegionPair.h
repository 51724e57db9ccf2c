// Two regions joined with a ground flag for each side and a suppress flag for the pair.
// Callers keep pairs singly or in a stored array, rgnC_RegionPairArray.
//
//   rgnC_RegionPair contact(master, slave, false, true, false);   // side 2 grounded
#pragma once

#include "cls_xo1DArrayList.h"
#include "rgnC_Region.h"

#include <cstdint>

class cls_ClassRegistrar;
class cls_ReadVisitor;
class cls_WriteVisitor;

// Final: pairs are deleted through their own type only (the destructor is not virtual).
class rgnC_RegionPair final {
public:
    static std::uint32_t TypeId() { return 0x02540010; }

    rgnC_RegionPair();
    // The regions are copied with their uids (sharing their names and paths: O(1)); the pair
    // gets a fresh uid.
    rgnC_RegionPair(const rgnC_Region& region1, const rgnC_Region& region2, bool ground1,
                    bool ground2, bool suppress);
    // Copies share what region copies share: O(1).
    rgnC_RegionPair(const rgnC_RegionPair& other);
    rgnC_RegionPair& operator=(const rgnC_RegionPair& other);
    // Reads the record and its two regions from the file.
    explicit rgnC_RegionPair(const cls_ReadVisitor& rv);
    ~rgnC_RegionPair();

    virtual std::uint32_t DynTypeId() const { return TypeId(); }
    // Queues the record and both regions into the write.
    virtual void DBWrite(const cls_WriteVisitor& wv) const;
    static void InitializeMetadata(cls_ClassRegistrar& registrar);

    // Regions by their own equality, then the three flags; the uid takes no part. O(owner
    // names); fetches nothing.
    bool operator==(const rgnC_RegionPair& other) const;

    // The fields as stored: no copy, no fetch, O(1).

    const rgnC_Region& Region1() const { return region1; }
    const rgnC_Region& Region2() const { return region2; }
    bool Ground1() const { return ground1; }
    bool Ground2() const { return ground2; }
    bool Suppress() const { return suppress; }
    const cls_Uid& Uid() const { return uid; }

private:
    rgnC_Region region1;
    rgnC_Region region2;
    bool ground1;
    bool ground2;
    bool suppress;
    cls_Uid uid;
};

// Stored as a framework list of pair records; the class table's "rgnC_RegionPairArray" row
// only reserves the name.
using rgnC_RegionPairArray = cls_xo1DArrayList<rgnC_RegionPair>;
