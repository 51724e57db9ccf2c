#include "rgnC_RegionPair.h"

#include "cls_ClassRegistrar.h"
#include "cls_ReadVisitor.h"
#include "cls_TypeAdapter.h"
#include "cls_WriteVisitor.h"

namespace {

// This layout numbers its fields.
enum class Field { Region1, Region2, Ground1, Ground2, Suppress };

const cls_FieldHandle& field(Field which) {
    static const cls_FieldHandle handles[] = {
        {0, "region1"}, {1, "region2"}, {2, "ground1"}, {3, "ground2"}, {4, "suppress"},
    };
    return handles[static_cast<int>(which)];
}

// A pair always stores both regions; an empty one is damage, refused before the region's own
// reading would refuse its missing kind without saying where.
rgnC_Region readRegion(const cls_ReadVisitor& rv, Field which) {
    const cls_MementoRead& record = rv.Memento();
    if (record.IsPresent() && !record.ReadReference(field(which)))
        record.Damaged("attribute '" + field(which).Name().str() + "' holds no region");
    return rgnC_Region(cls_ReadVisitor(rv, field(which)));
}

} // namespace

rgnC_RegionPair::rgnC_RegionPair()
    : ground1(false), ground2(false), suppress(false), uid(cls_Uid::AllocateUid()) {}

rgnC_RegionPair::rgnC_RegionPair(const rgnC_Region& region1, const rgnC_Region& region2,
                                 bool ground1, bool ground2, bool suppress)
    : region1(region1), region2(region2), ground1(ground1), ground2(ground2), suppress(suppress),
      uid(cls_Uid::AllocateUid()) {}

rgnC_RegionPair::rgnC_RegionPair(const rgnC_RegionPair& other) = default;
rgnC_RegionPair& rgnC_RegionPair::operator=(const rgnC_RegionPair& other) = default;
rgnC_RegionPair::~rgnC_RegionPair() = default;

rgnC_RegionPair::rgnC_RegionPair(const cls_ReadVisitor& rv)
    : region1(readRegion(rv, Field::Region1)), region2(readRegion(rv, Field::Region2)),
      ground1(rv.Memento().ReadBool(field(Field::Ground1), false)),
      ground2(rv.Memento().ReadBool(field(Field::Ground2), false)),
      suppress(rv.Memento().ReadBool(field(Field::Suppress), false)), uid(rv.GetUid()) {}

void rgnC_RegionPair::InitializeMetadata(cls_ClassRegistrar& registrar) {
    registrar
        .AddClassMD(new cls_TypeAdapter<rgnC_RegionPair>(cow_String("rgnC_RegionPair"), 551, 1))
        .AddAttribute(field(Field::Region1), cls_AttrObject, rgnC_Region::TypeId(), cls_CollSingle)
        .AddAttribute(field(Field::Region2), cls_AttrObject, rgnC_Region::TypeId(), cls_CollSingle)
        .AddAttribute(field(Field::Ground1), cls_AttrBool, 1, cls_CollSingle)
        .AddAttribute(field(Field::Ground2), cls_AttrBool, 1, cls_CollSingle)
        .AddAttribute(field(Field::Suppress), cls_AttrBool, 1, cls_CollSingle);
}

void rgnC_RegionPair::DBWrite(const cls_WriteVisitor& wv) const {
    if (!wv.StartWrite(TypeId(), uid))
        return;
    region1.DBWrite(cls_WriteVisitor(wv, field(Field::Region1), nullptr, nullptr));
    region2.DBWrite(cls_WriteVisitor(wv, field(Field::Region2), nullptr, nullptr));
    cls_MementoWrite& m = wv.Memento();
    m.WriteBool(field(Field::Ground1), &ground1);
    m.WriteBool(field(Field::Ground2), &ground2);
    m.WriteBool(field(Field::Suppress), &suppress);
}

bool rgnC_RegionPair::operator==(const rgnC_RegionPair& other) const {
    return region1 == other.region1 && region2 == other.region2 && ground1 == other.ground1 &&
           ground2 == other.ground2 && suppress == other.suppress;
}
