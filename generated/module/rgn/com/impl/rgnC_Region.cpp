#include "rgnC_Region.h"

#include "atr_translate.h"
#include "cls_ClassRegistrar.h"
#include "cls_ReadVisitor.h"
#include "cls_TypeAdapter.h"
#include "cls_WriteVisitor.h"
#include "ddr_Root.h"
#include "nex_Message.h"
#include "rgnC_Paths.h"
#include "rgnC_SetType.h"
#include "thr_ThreadSingleton.h"

namespace {

constexpr const char* kSourceFile = "generated/module/rgn/com/impl/rgnC_Region";
// The position the undefined-path failure has always been reported at; callers match on it.
constexpr int kUndefinedPathLine = 159;

enum class Field { Name, Internal, OwnerNames, Space, SetTypeBits, TypeObsolete, SetData };

const cls_FieldHandle& field(Field which) {
    static const cls_FieldHandle handles[] = {
        {-1, "name"},         {-1, "internal"},      {-1, "_ownerNames"}, {-1, "_space"},
        {-1, "_setTypeBits"}, {-1, "_typeObsolete"}, {-1, "setData"},
    };
    return handles[static_cast<int>(which)];
}

using SetTypePrim = omu_PrimEnum<rgnC_SetType, 1>;
constexpr std::uint32_t kNoSetType = static_cast<std::uint32_t>(rgnC_SetType::None);

// An undefined path is the region's own failure; a path with an implementation whose chain
// breaks further up is refused by the path itself, which says what is missing.
const rgnC_SetData& resolve(const rgnC_SetDataPath& path) {
    if (!path.ImplPtr())
        nex_Message::Raise(kSourceFile, kUndefinedPathLine,
                           "Cannot retrieve set - shortcut is undefined");
    return path.ConstGet(thr_ThreadSingleton<ddr_Root>::Instance().Fetch());
}

int entityBit(res_SetTypeEnm type) {
    switch (type) {
    case res_SetTypeEnm::NODE_SET: return rgnC_Region::kNodeBit;
    case res_SetTypeEnm::ELEMENT_SET: return rgnC_Region::kElementBit;
    case res_SetTypeEnm::SURFACE_SET: return rgnC_Region::kSurfaceBit;
    default: return 0; // the surface parts name no kind of their own
    }
}

} // namespace

rgnC_Region::rgnC_Region()
    : _typeObsolete(kNoSetType), internal(false), _space(0), _setTypeBits(0),
      uid(cls_Uid::AllocateUid()) {}

rgnC_Region::rgnC_Region(const cow_String& name, const cow_String& ownerName, int space,
                         int setTypeBits, bool internal)
    : _typeObsolete(kNoSetType), name(name), internal(internal), _space(space),
      _setTypeBits(setTypeBits), uid(cls_Uid::AllocateUid()) {
    _ownerNames.Append(ownerName);
}

rgnC_Region::rgnC_Region(const cow_String& name, const cow_List<cow_String>& ownerNames,
                         int space, int setTypeBits, bool internal)
    : _typeObsolete(kNoSetType), name(name), internal(internal), _ownerNames(ownerNames),
      _space(space), _setTypeBits(setTypeBits), uid(cls_Uid::AllocateUid()) {}

rgnC_Region::rgnC_Region(const rgnC_SetDataPath& setData) : rgnC_Region() {
    this->setData = setData;
    if (!setData.IsDefined())
        return;
    const rgnC_SetData& set = resolve(setData);
    name = set.SetLabel();
    internal = set.InternalSet();
    _setTypeBits |= entityBit(set.SetType());
}

rgnC_Region::rgnC_Region(const rgnC_Region& other) = default;
rgnC_Region& rgnC_Region::operator=(const rgnC_Region& other) = default;
rgnC_Region::~rgnC_Region() = default;

rgnC_Region::rgnC_Region(const cls_ReadVisitor& rv)
    : _typeObsolete(static_cast<std::uint32_t>(
          SetTypePrim(rv.Memento().ReadString(field(Field::TypeObsolete), cow_String("0")))
              .GetValue())),
      name(rv.Memento().ReadString(field(Field::Name), cow_String("0"))),
      internal(rv.Memento().ReadBool(field(Field::Internal), false)),
      setData(cls_ReadVisitor(rv, field(Field::SetData))),
      _ownerNames(cls_ReadVisitor(rv, field(Field::OwnerNames))),
      _space(rv.Memento().ReadInt(field(Field::Space), 0)),
      _setTypeBits(rv.Memento().ReadInt(field(Field::SetTypeBits), 0)), uid(rv.GetUid()) {}

void rgnC_Region::InitializeMetadata(cls_ClassRegistrar& registrar) {
    registrar.AddClassMD(new cls_TypeAdapter<rgnC_Region>(cow_String("rgnC_Region"), 331, 1))
        .AddDtor(&cls_ClassMetadata::ReleaseHeld<cow_COW<rgnC_Region, cow_Virtual<rgnC_Region>>>)
        .AddAttribute(field(Field::Name), cls_AttrString, 1, cls_CollSingle)
        .AddAttribute(field(Field::Internal), cls_AttrBool, 1, cls_CollSingle)
        .AddAttribute(field(Field::OwnerNames), cls_AttrObject, cls_xpListString::TypeId(),
                      cls_CollStringList)
        .AddAttribute(field(Field::Space), cls_AttrInt, 1, cls_CollSingle)
        .AddAttribute(field(Field::SetTypeBits), cls_AttrInt, 1, cls_CollSingle)
        .AddAttribute(field(Field::TypeObsolete), cls_AttrEnum, 1, cls_CollSingle)
        .AddAttribute(field(Field::SetData), cls_AttrObject, rgnC_SetDataPath::TypeId(),
                      cls_CollSingle);
}

void rgnC_Region::DBWrite(const cls_WriteVisitor& wv) const {
    if (!wv.StartWrite(TypeId(), uid))
        return;
    cls_MementoWrite& m = wv.Memento();
    m.WriteString(field(Field::Name), &name);
    m.WriteBool(field(Field::Internal), &internal);
    _ownerNames.DBWrite(cls_WriteVisitor(wv, field(Field::OwnerNames), nullptr, nullptr));
    m.WriteInt(field(Field::Space), &_space);
    m.WriteInt(field(Field::SetTypeBits), &_setTypeBits);
    // Refuses a kind outside the table, after the fields above are recorded; the writer
    // commits nothing of a write that throws.
    const cow_String kind =
        SetTypePrim(static_cast<rgnC_SetType>(_typeObsolete)).AsString(0);
    m.WriteString(field(Field::TypeObsolete), &kind);
    setData.DBWrite(cls_WriteVisitor(wv, field(Field::SetData), nullptr, nullptr));
}

bool rgnC_Region::operator==(const rgnC_Region& other) const {
    return name == other.name && _ownerNames.IsEqual(other._ownerNames) &&
           _space == other._space && _typeObsolete == other._typeObsolete &&
           _setTypeBits == other._setTypeBits && internal == other.internal;
}

const rgnC_SetData& rgnC_Region::ConstSet() const { return resolve(setData); }

cow_String rgnC_Region::FullName() const {
    std::string full;
    for (int i = 1; i < _ownerNames.Count(); ++i) {
        full += _ownerNames.ConstGet(i).view();
        full += '.';
    }
    full += name.view();
    return cow_String(full);
}
