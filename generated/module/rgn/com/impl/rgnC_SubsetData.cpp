#include "rgnC_SubsetData.h"

#include "atr_translate.h"
#include "cls_ClassRegistrar.h"
#include "cls_ReadVisitor.h"
#include "cls_TypeAdapter.h"
#include "cls_WriteVisitor.h"
#include "cow_1DArrayIter.h"
#include "nex_Message.h"
#include "pnt_PrettyPrint.h"
#include "rgnC_Module.h"
#include "typ_DebugFlags.h"

#include <string>

namespace {
constexpr const char* kSourceFile = "generated/module/rgn/com/impl/rgnC_SubsetData";

// The positions the module's failures are reported at.
constexpr int kWrongFacetLengthLine = 51;
constexpr int kSetNotLoadedLine = 160;

enum class Field {
    SetIndex, SubsetIndex, IdArray, FacetIdArray, SubsetType, Unsorted, MeshIndex, ClassIndex,
    ConstructionOk
};

const cls_FieldHandle& field(Field which) {
    static const cls_FieldHandle handles[] = {
        {-1, "setIndex"},   {-1, "subsetIndex"}, {-1, "idArray"},
        {-1, "facetIdArray"}, {-1, "subsetType"}, {-1, "unsorted"},
        {-1, "meshIndex"},  {-1, "classIndex"},  {-1, "constructionOk"},
    };
    return handles[static_cast<int>(which)];
}

} // namespace

rgnC_SubsetData::rgnC_SubsetData(int meshIndex, int classIndex, int subsetIndex, int setIndex,
                                 res_SetTypeEnm subsetType, bool unsorted,
                                 cow_1DArrayList<int> ids, cow_1DArrayList<int> facetIds)
    : constructionOk(true), unsorted(unsorted), idArray(cls_xp1DArrayListIntFromCow(ids)),
      facetIdArray(cls_xp1DArrayListIntFromCow(facetIds)), subsetType(subsetType),
      setIndex(setIndex), subsetIndex(subsetIndex), meshIndex(meshIndex), classIndex(classIndex),
      uid(cls_Uid::AllocateUid()) {
    if (facetIds.Count() > 0 && facetIds.Count() != ids.Count())
        nex_Message::Raise(kSourceFile, kWrongFacetLengthLine,
                           "Error - wrong facet ids array length.");
}

rgnC_SubsetData::rgnC_SubsetData(const rgnC_SubsetData& other)
    : constructionOk(other.constructionOk), unsorted(other.unsorted), idArray(other.idArray),
      facetIdArray(other.facetIdArray), subsetType(other.subsetType), setIndex(other.setIndex),
      subsetIndex(other.subsetIndex), meshIndex(other.meshIndex), classIndex(other.classIndex),
      uid(other.uid) {}

rgnC_SubsetData& rgnC_SubsetData::operator=(const rgnC_SubsetData& other) {
    constructionOk = other.constructionOk;
    unsorted = other.unsorted;
    idArray = other.idArray;
    facetIdArray = other.facetIdArray;
    subsetType = other.subsetType;
    setIndex = other.setIndex;
    subsetIndex = other.subsetIndex;
    meshIndex = other.meshIndex;
    classIndex = other.classIndex;
    uid = other.uid;
    indexTable.Clear();
    return *this;
}

rgnC_SubsetData::rgnC_SubsetData(const cls_ReadVisitor& rv)
    : constructionOk(rv.Memento().ReadBool(field(Field::ConstructionOk), false)),
      unsorted(rv.Memento().ReadBool(field(Field::Unsorted), false)),
      idArray(cls_ReadVisitor(rv, field(Field::IdArray)), nullptr),
      facetIdArray(cls_ReadVisitor(rv, field(Field::FacetIdArray)), nullptr),
      subsetType(cls_ReadVisitor(rv, field(Field::SubsetType))),
      setIndex(rv.Memento().ReadInt(field(Field::SetIndex), 0)),
      subsetIndex(rv.Memento().ReadInt(field(Field::SubsetIndex), 0)),
      meshIndex(rv.Memento().ReadInt(field(Field::MeshIndex), 0)),
      classIndex(rv.Memento().ReadInt(field(Field::ClassIndex), 0)), uid(rv.GetUid()) {
    // What the full constructor refuses, and a key no set gives: damage when read.
    const cls_MementoRead& record = rv.Memento();
    if (facetIdArray.Count() > 0 && facetIdArray.Count() != idArray.Count())
        record.Damaged("its facet id list holds " + std::to_string(facetIdArray.Count()) +
                       " ids for " + std::to_string(idArray.Count()) +
                       " ids (neither none nor one per id)");
    if (subsetIndex < 0)
        record.Damaged("subsetIndex is " + std::to_string(subsetIndex) + ", a negative key");
}

rgnC_SubsetData::~rgnC_SubsetData() = default;

void* rgnC_SubsetData::Ctor(cls_ReadVisitor& rv) { return new rgnC_SubsetData(rv); }

void rgnC_SubsetData::InitializeMetadata(cls_ClassRegistrar& registrar) {
    cls_ClassMetadata& md = registrar.AddClassMD(
        new cls_TypeAdapter<rgnC_SubsetData>(cow_String("rgnC_SubsetData"), 405, 1));
    md.AddDtor(
        &cls_ClassMetadata::ReleaseHeld<cow_COW<rgnC_SubsetData, cow_Virtual<rgnC_SubsetData>>>);
    md.AddAttribute(field(Field::SetIndex), cls_AttrInt, 1, cls_CollSingle);
    md.AddAttribute(field(Field::SubsetIndex), cls_AttrInt, 1, cls_CollSingle);
    md.AddAttribute(field(Field::IdArray), cls_AttrObject, cls_ListTypeId, cls_CollIntList);
    md.AddAttribute(field(Field::FacetIdArray), cls_AttrObject, cls_ListTypeId, cls_CollIntList);
    md.AddAttribute(field(Field::SubsetType), cls_AttrObject, omu_PrimEnumBase::TypeId(), cls_CollSingle);
    md.AddAttribute(field(Field::Unsorted), cls_AttrBool, 1, cls_CollSingle);
    md.AddAttribute(field(Field::MeshIndex), cls_AttrInt, 1, cls_CollSingle);
    md.AddAttribute(field(Field::ClassIndex), cls_AttrInt, 1, cls_CollSingle);
    md.AddAttribute(field(Field::ConstructionOk), cls_AttrBool, 1, cls_CollSingle);
}

void rgnC_SubsetData::DBWrite(const cls_WriteVisitor& wv) const {
    if (!wv.StartWrite(TypeId(), uid))
        return;
    cls_MementoWrite& m = wv.Memento();
    m.WriteInt(field(Field::SetIndex), &setIndex);
    m.WriteInt(field(Field::SubsetIndex), &subsetIndex);
    idArray.DBWrite(cls_WriteVisitor(wv, field(Field::IdArray), nullptr, nullptr));
    facetIdArray.DBWrite(cls_WriteVisitor(wv, field(Field::FacetIdArray), nullptr, nullptr));
    subsetType.DBWrite(cls_WriteVisitor(wv, field(Field::SubsetType), nullptr, nullptr));
    m.WriteBool(field(Field::Unsorted), &unsorted);
    m.WriteInt(field(Field::MeshIndex), &meshIndex);
    m.WriteInt(field(Field::ClassIndex), &classIndex);
    m.WriteBool(field(Field::ConstructionOk), &constructionOk);
}

rgnC_SubsetData* rgnC_SubsetData::Copy() const { return new rgnC_SubsetData(*this); }

// Maps every id to its 1-based position, walking the ids a block at a time. A repeated id keeps
// its first position, so the table then holds fewer entries than there are ids and is rebuilt
// on every lookup; such subsets are not expected.
void rgnC_SubsetData::rebuildIndexTable() const {
    indexTable.Clear();
    indexTable.Reserve(idArray.Count());
    int position = 1;
    for (cow_1DArrayIter<int> it(idArray.Array(), idArray.Count()); it.More();) {
        const int* run = it.RunData();
        const int n = it.RunLength();
        for (int i = 0; i < n; ++i)
            indexTable.Insert(run[i], position++);
        it.Skip(n);
    }
}

int rgnC_SubsetData::LookupIndex(int id) const {
    if (idArray.Count() == 0)
        return kNotFound;
    if (indexTable.Count() != idArray.Count())
        rebuildIndexTable();
    const int* position = indexTable.Find(id);
    if (!position || *position == 0)
        return kNotFound;
    return *position - 1;
}

void rgnC_SubsetData::Print() const {
    if (idArray.Count() == 0)
        nex_Message::Raise(kSourceFile, kSetNotLoadedLine, "Error - set not loaded.");
    if (typ_DebugFlags::GetDebugFlags(rgnC_ModuleNumber) < 3)
        return;

    const char* surfaceKind = "Unknown";
    switch (subsetType.GetValue()) {
    case res_SetTypeEnm::SURFACE_ELEMENT: surfaceKind = "Facetless surface"; break;
    case res_SetTypeEnm::SURFACE_FACET: surfaceKind = "Faceted surface"; break;
    case res_SetTypeEnm::SURFACE_EDGE: surfaceKind = "Edge contact surface"; break;
    case res_SetTypeEnm::SURFACE_NODE: surfaceKind = "Node surface"; break;
    default: break;
    }

    pnt_PrettyPrint& out = pnt_debugPrint();
    out << "Set Index        = " << setIndex << endl;
    out << "SubSet Index     = " << subsetIndex << endl;
    out << "Mesh Index       = " << meshIndex << endl;
    out << "Class Data Index = " << classIndex << endl;
    out << "Subset Type      = " << static_cast<int>(subsetType.GetValue()) << endl;
    out << "Unsorted         = " << (unsorted ? "YES" : "NO") << endl;
    out << surfaceKind << endl;
    out << "Num items in set = " << idArray.Count() << endl;
}
