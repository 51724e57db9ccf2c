#include "cls_MetadataRegistrar.h"
#include "omi_Singleton.h"
#include "rgnC_Module.h"
#include "rgnC_Paths.h"
#include "typ_ArchCompTable.h"

#include <gtest/gtest.h>

TEST(Registration, StoredClassesAreRegisteredInOrderWithTheirFlagsAndLayouts) {
    int count = 0;
    rgnC_initialize(count);
    const auto& received = omi_Singleton<cls_MetadataRegistrar>::Instance().Registrations();
    using Fn = cls_MetadataRegistrar::Function;
    const std::vector<std::pair<Fn, unsigned>> expected = {
        {&rgnC_SetData::InitializeMetadata, 7},
        {&ddr_ShortcutImpl<rgnC_SetData>::InitializeMetadata, 7},
        {&rgnC_SetDataInList::InitializeMetadata, 4},
        {&ddr_ShortcutImpl<rgnC_SetDataMap>::InitializeMetadata, 4},
        {&rgnC_SetDataListPath::InitializeMetadata, 4},
        {&rgnC_SetDataPath::InitializeMetadata, 7},
        {&rgnC_SubsetData::InitializeMetadata, 7},
        {&ddr_ShortcutImpl<rgnC_SubsetData>::InitializeMetadata, 4},
        {&rgnC_SubsetDataInList::InitializeMetadata, 4},
        {&ddr_ShortcutImpl<rgnC_SubsetDataMap>::InitializeMetadata, 4},
        {&rgnC_SubsetListOfSet::InitializeMetadata, 4},
        {&rgnC_SubsetDataListPath::InitializeMetadata, 4},
        {&rgnC_SubsetDataPath::InitializeMetadata, 4},
    };
    ASSERT_GE(received.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(received[i].function, expected[i].first) << "registration " << i;
        EXPECT_EQ(received[i].flags, expected[i].second) << "registration " << i;
    }

    // Every registered class answers its class-table row: id, name, version and parent.
    const cls_ClassRegistrar& r = cls_ClassRegistrar::Current();
    struct Row {
        std::uint32_t id;
        int version;
        std::uint32_t parent;
        std::size_t attributes;
    };
    for (const Row& row : {Row{0x02540003, 405, 1, 8}, Row{0x02540004, 405, 1, 9},
                           Row{0x02540005, 203, 1, 1}, Row{0x02540006, 203, 0x02540007, 2},
                           Row{0x02540007, 203, 1, 0}, Row{0x02540008, 203, 1, 1},
                           Row{0x02540009, 203, 0x0254000A, 2}, Row{0x0254000A, 203, 1, 0},
                           Row{0x0254000B, 203, 1, 1}, Row{0x0254000C, 203, 0x0254000D, 1},
                           Row{0x0254000D, 203, 1, 0}, Row{0x0254000E, 203, 1, 1},
                           Row{0x0254000F, 203, 1, 0}}) {
        const cls_ClassMetadata* md = r.Find(row.id);
        ASSERT_NE(md, nullptr) << std::hex << row.id;
        EXPECT_STREQ(md->Name().c_str(), typ_ArchCompTable::ClassName(row.id));
        EXPECT_EQ(md->Version(), row.version);
        EXPECT_EQ(md->ParentTypeId(), row.parent);
        EXPECT_EQ(typ_ArchCompTable::Lookup(row.id)->parentTypeId, row.parent);
        EXPECT_EQ(md->Attributes().size(), row.attributes);
    }
    EXPECT_EQ(rgnC_SetDataPath::TypeId(), 0x02540005u);
    EXPECT_EQ(rgnC_SubsetListOfSet::TypeId(), 0x0254000Cu);
    EXPECT_EQ(rgnC_SubsetDataListPath::TypeId(), 0x0254000Bu);
    EXPECT_EQ(ddr_ShortcutImpl<rgnC_SetDataMap>::TypeId(), 0x0254000Fu);

    // Attribute order and codes of the set record; the subset's destroy function comes first.
    const auto& set = r.Find(0x02540003)->Attributes();
    const char* names[] = {"setIndex", "setLabel", "subsetList", "numSubset",
                           "setType", "internalSet", "unsorted", "constructionOk"};
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_STREQ(set[i].handle.Name().c_str(), names[i]);
    EXPECT_EQ(set[2].type, 15);
    EXPECT_EQ(set[2].typeId, 0x00230002u);
    EXPECT_EQ(set[2].collection, 3);
    EXPECT_EQ(r.Find(0x02540004)->Attributes()[2].collection, 54);
    rgnC_finalize(count);
}
