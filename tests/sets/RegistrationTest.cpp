#include "cls_MetadataRegistrar.h"
#include "omi_Singleton.h"
#include "rgnC_Module.h"
#include "rgnC_Paths.h"
#include "rgnC_PropRegionList.h"
#include "rgnC_RegionPair.h"
#include "typ_ArchCompTable.h"

#include <gtest/gtest.h>

TEST(Registration, StoredClassesAreRegisteredInOrderWithTheirFlagsAndLayouts) {
    int count = 0;
    rgnC_initialize(count);
    const auto& received = omi_Singleton<cls_MetadataRegistrar>::Instance().Registrations();
    using Fn = cls_MetadataRegistrar::Function;
    const std::vector<std::pair<Fn, unsigned>> expected = {
        {&rgnC_PropRegionList::InitializeMetadata, 7},
        {&rgnC_Region::InitializeMetadata, 7},
        {&rgnC_RegionPair::InitializeMetadata, 3},
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
    for (const Row& row : {Row{0x02540001, 331, 1, 7}, Row{0x02540002, 203, 1, 2},
                           Row{0x02540010, 551, 1, 5}, Row{0x02540003, 405, 1, 8}, Row{0x02540004, 405, 1, 9},
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
    // Every class of the class table answers its row's id; row 17 has no class.
    const std::uint32_t classIds[] = {
        rgnC_Region::TypeId(),
        rgnC_PropRegionList::TypeId(),
        rgnC_SetData::TypeId(),
        rgnC_SubsetData::TypeId(),
        rgnC_SetDataPath::TypeId(),
        rgnC_SetDataInList::TypeId(),
        ddr_ShortcutImpl<rgnC_SetData>::TypeId(),
        rgnC_SubsetDataPath::TypeId(),
        rgnC_SubsetDataInList::TypeId(),
        ddr_ShortcutImpl<rgnC_SubsetData>::TypeId(),
        rgnC_SubsetDataListPath::TypeId(),
        rgnC_SubsetListOfSet::TypeId(),
        ddr_ShortcutImpl<rgnC_SubsetDataMap>::TypeId(),
        rgnC_SetDataListPath::TypeId(),
        ddr_ShortcutImpl<rgnC_SetDataMap>::TypeId(),
        rgnC_RegionPair::TypeId(),
    };
    for (std::uint32_t row = 1; row <= 16; ++row) {
        EXPECT_EQ(classIds[row - 1], rgnC_TypeId(row)) << "row " << row;
        ASSERT_NE(r.Find(rgnC_TypeId(row)), nullptr) << "row " << row;
        EXPECT_STREQ(r.Find(rgnC_TypeId(row))->Name().c_str(), rgnC_ClassTable[row].className);
    }
    EXPECT_EQ(r.Find(rgnC_TypeId(17)), nullptr);

    // The region record's attributes in order; the pair and the propagating list number theirs.
    const auto& region = r.Find(0x02540001)->Attributes();
    const char* regionNames[] = {"name", "internal", "_ownerNames", "_space",
                                 "_setTypeBits", "_typeObsolete", "setData"};
    const int regionTypes[] = {11, 13, 15, 5, 5, 14, 15};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_STREQ(region[i].handle.Name().c_str(), regionNames[i]);
        EXPECT_EQ(region[i].type, regionTypes[i]);
        EXPECT_EQ(region[i].handle.Index(), -1);
    }
    EXPECT_EQ(region[2].collection, 55);
    EXPECT_EQ(region[6].typeId, 0x02540005u);
    EXPECT_NE(r.Find(0x02540001)->Dtor(), nullptr);
    EXPECT_EQ(r.Find(0x02540010)->Dtor(), nullptr);
    const auto& pair = r.Find(0x02540010)->Attributes();
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(pair[i].handle.Index(), static_cast<int>(i));
    EXPECT_STREQ(pair[4].handle.Name().c_str(), "suppress");
    const auto& prop = r.Find(0x02540002)->Attributes();
    EXPECT_EQ(prop[0].handle.Index(), 0);
    EXPECT_EQ(prop[0].collection, 1);
    EXPECT_EQ(prop[1].handle.Index(), 1);
    EXPECT_EQ(prop[1].type, 14);

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
