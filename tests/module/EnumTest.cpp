#include "Refusal.h"
#include "mdl_PropAttr.h"
#include "nex_Exception.h"
#include "omu_PrimEnumDefs.h"
#include "omu_ValueErrorException.h"
#include "res_SetTypeEnm.h"
#include "rgnC_GroundEnum.h"
#include "rgnC_SetType.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

namespace {

using Ground = omu_PrimEnum<rgnC_GroundEnum, 1>;
using SetTypeEnm = omu_PrimEnum<res_SetTypeEnm, 1>;
using RegionSetType = omu_PrimEnum<rgnC_SetType, 1>;

// An enumeration of the tests' own whose one name is also a propagation state's.
enum class Sharing : int { Set = 7 };

} // namespace

template <>
const omu_PrimEnumBase::PrimEnumTableEl omu_PrimEnum<Sharing, 1>::table[] = {{"SET", 7},
                                                                             {nullptr, 0}};
template class omu_PrimEnum<Sharing, 1>;

TEST(PrimEnum, SetValueTakesOnlyExactTableEntriesAndLeavesTheObjectUnchangedOnFailure) {
    Ground g(rgnC_GroundEnum::ATTACH_TO_REGION);
    EXPECT_TRUE(g.SetValue("GROUND"));
    for (const char* name : {"ground", "GROUND ", "", static_cast<const char*>(nullptr)})
        EXPECT_FALSE(g.SetValue(name)) << (name ? name : "no name");
    EXPECT_EQ(g.GetValue(), rgnC_GroundEnum::GROUND);
    EXPECT_STREQ(g.GetString(), "GROUND");

    // The name held is the table's own text, not the caller's buffer.
    std::string buffer = "ATTACH_TO_REGION";
    ASSERT_TRUE(g.SetValue(buffer.c_str()));
    buffer[0] = 'X';
    EXPECT_STREQ(g.GetString(), "ATTACH_TO_REGION");

    // By value: only the table's values.
    SetTypeEnm t(res_SetTypeEnm::NODE_SET);
    EXPECT_TRUE(t.SetValue(res_SetTypeEnm::SURFACE_NODE));
    for (int value : {7, -1})
        EXPECT_FALSE(t.SetValue(static_cast<res_SetTypeEnm>(value))) << value;
    EXPECT_EQ(t.GetValue(), res_SetTypeEnm::SURFACE_NODE);
    EXPECT_STREQ(t.GetString(), "SURFACE_NODE");
}

// The permissible names a refusal lists are every name of the enumeration's table, in the order
// of their values. From another enumeration by its name: the region set types never match the
// upper-case set type names, and that message lists no permissible names. An empty name is the
// empty string, refused by every table.
TEST(PrimEnum, ConstructorsThrowTheSystemMessagesWithSourcePositions) {
    EXPECT_EQ(RegionSetType(cow_String("Node set")).GetValue(), rgnC_SetType::NodeSet);
    const std::tuple<void (*)(), const char*, int> cases[] = {
        {[] { SetTypeEnm t(static_cast<res_SetTypeEnm>(7)); },
         "omu_PrimEnum(Enum) - Enum value not allowed: 7  Permissible: \"NODE_SET\", "
         "\"ELEMENT_SET\", \"SURFACE_SET\", \"SURFACE_ELEMENT\", \"SURFACE_FACET\", "
         "\"SURFACE_EDGE\", \"SURFACE_NODE\"",
         54},
        {[] { RegionSetType r(cow_String("NODE_SET")); },
         "omu_PrimEnum(const cow_String&) - str not allowed: NODE_SET  Permissible: \"Geometry "
         "set\", \"Node set\", \"Element set\", \"Geometry surface\", \"Mesh surface\", \"None\"",
         81},
        {[] { SetTypeEnm t{RegionSetType(cow_String("Node set"))}; }, // from another enumeration
         "omu_PrimEnum(const omu_PrimEnumBase&) - str not allowed: Node set", 67},
        {[] { Ground g{cow_String()}; },
         "omu_PrimEnum(const cow_String&) - str not allowed:   Permissible: \"ATTACH_TO_REGION\", "
         "\"GROUND\"",
         81},
    };
    for (const auto& [make, what, line] : cases) {
        SCOPED_TRACE(what);
        const auto e = Refusal<omu_ValueErrorException>(make);
        ASSERT_TRUE(e);
        EXPECT_STREQ(e->what(), what);
        EXPECT_STREQ(e->File(), "generated/include/omu_PrimEnum");
        EXPECT_EQ(e->Line(), line);
    }
    // A value error is a command exception and so a framework exception.
    EXPECT_THROW(SetTypeEnm(static_cast<res_SetTypeEnm>(9)), nex_Exception);

    const SetTypeEnm elementSet(cow_String("ELEMENT_SET"));
    const SetTypeEnm fromOther(static_cast<const omu_PrimEnumBase&>(elementSet));
    EXPECT_EQ(fromOther.GetValue(), res_SetTypeEnm::ELEMENT_SET);
}

TEST(PrimEnum, CopyIsAnIndependentObjectOfTheSameInstantiation) {
    const SetTypeEnm original(res_SetTypeEnm::SURFACE_EDGE);
    std::unique_ptr<omu_Primitive> copy(original.Copy());
    auto* typed = dynamic_cast<SetTypeEnm*>(copy.get());
    ASSERT_NE(typed, nullptr);
    EXPECT_TRUE(*copy == original); // the same name, so the same value
    EXPECT_EQ(typed->Uid(), original.Uid());

    ASSERT_TRUE(typed->SetValue(res_SetTypeEnm::NODE_SET));
    EXPECT_EQ(original.GetValue(), res_SetTypeEnm::SURFACE_EDGE);
    EXPECT_FALSE(*copy == original);
    EXPECT_EQ(original.AsRepr(), cow_String("'SURFACE_EDGE'"));

    // Equal names of different enumerations are different primitives.
    const omu_PrimEnum<Sharing, 1> shared(Sharing::Set);
    const omu_PrimEnum<mdl_PropAttributeStateEnm, 1> state(mdl_PropAttributeStateEnm::Set);
    ASSERT_STREQ(shared.GetString(), state.GetString());
    EXPECT_FALSE(shared == state);
}
