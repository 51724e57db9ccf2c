// A first look at the region module's containers and subsets.
//
// Builds copy-on-write lists and trees and shows that copies share until written, fills a
// subset with node ids, looks ids up and prints the subset's debug listing.
#include "cow_1DArrayList.h"
#include "cow_ArrayCOW.h"
#include "cow_Btree.h"
#include "cow_BtreeIterator.h"
#include "cow_List.h"
#include "cow_Virtual.h"
#include "nex_Exception.h"
#include "pnt_PrettyPrint.h"
#include "rgnC_Module.h"
#include "rgnC_SubsetData.h"
#include "typ_DebugFlags.h"

#include <cstdio>

namespace {

void listsShareUntilWritten() {
    cow_List<int> a;
    for (int i = 0; i < 40; ++i)
        a.Append(i * i);
    cow_List<int> b = a; // O(1): shares every block
    b.Get(0) = -1;       // copies the block table and the first block only
    std::printf("list a[0]=%d b[0]=%d, element 20 shared: %s\n", a.ConstGet(0), b.ConstGet(0),
                &a.ConstGet(20) == &b.ConstGet(20) ? "yes" : "no");
}

void treesCopyOnePath() {
    using Tree = cow_Btree<int, cow_ArrayCOW<rgnC_SubsetData, cow_Virtual<rgnC_SubsetData>>>;
    Tree sets;
    for (int k = 0; k < 8; ++k) {
        cow_1DArrayList<int> ids;
        ids.Append(100 + k);
        sets.InsertUnlessMember(k, cow_ArrayCOW<rgnC_SubsetData, cow_Virtual<rgnC_SubsetData>>(
                                       new rgnC_SubsetData(0, 0, k, 1, res_SetTypeEnm::NODE_SET,
                                                           false, ids, {})));
    }
    Tree later = sets; // O(1)
    later.Remove(3);
    std::printf("tree of %d keys; the copy after one removal has %d:", sets.Count(), later.Count());
    cow_BtreeIterator<int, cow_ArrayCOW<rgnC_SubsetData, cow_Virtual<rgnC_SubsetData>>> it(later);
    for (it.First(); !it.IsDone(); it.Next())
        std::printf(" %d", it.Key());
    std::printf("\n");
}

void subsetLookupAndListing() {
    cow_1DArrayList<int> ids;
    for (int id : {1042, 7, -12, 88, 5000})
        ids.Append(id);
    const rgnC_SubsetData nodes(0, 2, 0, 17, res_SetTypeEnm::SURFACE_FACET, true, ids, ids);
    for (int id : {88, -12, 9})
        std::printf("LookupIndex(%d) = %d\n", id, nodes.LookupIndex(id));

    std::printf("debug listing at level 3 (written by the debug printer to standard error):\n");
    std::fflush(stdout);
    typ_DebugFlags::SetDebugFlags(rgnC_ModuleNumber, 3);
    nodes.Print();

    try {
        rgnC_SubsetData(0, 0, 0, 0, res_SetTypeEnm::NODE_SET, false, {}, {}).Print();
    } catch (const nex_Exception& e) {
        std::printf("an empty subset refuses to print: %s (%s:%d)\n", e.what(), e.File(), e.Line());
        std::fflush(stdout);
    }
}

} // namespace

int main() {
    int count = 0;
    rgnC_initialize(count);
    listsShareUntilWritten();
    treesCopyOnePath();
    subsetLookupAndListing();
    rgnC_finalize(count);
    return 0;
}
