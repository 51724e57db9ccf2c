#include "rgnC_SetData.h"

#include "atr_SubstituteFormat.h"
#include "atr_translate.h"
#include "cls_ClassRegistrar.h"
#include "cls_Map2ObjDefs.h"
#include "cls_Map2ObjIter.h"
#include "cls_ReadVisitor.h"
#include "cls_TypeAdapter.h"
#include "cls_WriteVisitor.h"
#include "nex_Message.h"
#include "pnt_PrettyPrint.h"
#include "rgnC_SubsetData.h"

#include <string>

// The subset map lives here, where every lookup of a subset inlines its search.
template class cls_Map2Obj<int, rgnC_SubsetData,
                           cow_ArrayCOW<rgnC_SubsetData, cow_Virtual<rgnC_SubsetData>>>;

namespace {

using rgnC_SubsetDataIter =
    cls_Map2ObjIter<int, rgnC_SubsetData,
                    cow_ArrayCOW<rgnC_SubsetData, cow_Virtual<rgnC_SubsetData>>>;

constexpr const char* kSourceFile = "generated/module/rgn/com/impl/rgnC_SetData";
// The positions the module's failures are reported at.
constexpr int kIndexOutOfRangeLine = 156;
constexpr int kNoMatchingSubsetLine = 175;

enum class Field {
    SetIndex, SetLabel, SubsetList, NumSubset, SetType, InternalSet, Unsorted, ConstructionOk
};

const cls_FieldHandle& field(Field which) {
    static const cls_FieldHandle handles[] = {
        {-1, "setIndex"},    {-1, "setLabel"},    {-1, "subsetList"}, {-1, "numSubset"},
        {-1, "setType"},     {-1, "internalSet"}, {-1, "unsorted"},   {-1, "constructionOk"},
    };
    return handles[static_cast<int>(which)];
}

} // namespace

rgnC_SetData::rgnC_SetData(int setIndex, const cow_String& setLabel, res_SetTypeEnm setType,
                           bool internalSet, bool unsorted)
    : setIndex(setIndex), constructionOk(true), setLabel(setLabel), numSubset(0),
      setType(setType), internalSet(internalSet), unsorted(unsorted),
      uid(cls_Uid::AllocateUid()) {}

rgnC_SetData::rgnC_SetData()
    : setIndex(-1), constructionOk(true), numSubset(0), setType(res_SetTypeEnm::NODE_SET),
      internalSet(false), unsorted(false), uid(cls_Uid::AllocateUid()) {}

rgnC_SetData::rgnC_SetData(const rgnC_SetData& other)
    : setIndex(other.setIndex), constructionOk(other.constructionOk), setLabel(other.setLabel),
      numSubset(other.numSubset), setType(other.setType), internalSet(other.internalSet),
      unsorted(other.unsorted), subsetList(other.subsetList), uid(other.uid) {}

rgnC_SetData::rgnC_SetData(const cls_ReadVisitor& rv)
    : setIndex(rv.Memento().ReadInt(field(Field::SetIndex), 0)),
      constructionOk(rv.Memento().ReadBool(field(Field::ConstructionOk), false)),
      setLabel(rv.Memento().ReadString(field(Field::SetLabel), cow_String("0"))),
      numSubset(rv.Memento().ReadInt(field(Field::NumSubset), 0)),
      setType(cls_ReadVisitor(rv, field(Field::SetType))),
      internalSet(rv.Memento().ReadBool(field(Field::InternalSet), false)),
      unsorted(rv.Memento().ReadBool(field(Field::Unsorted), false)),
      subsetList(cls_ReadVisitor(rv, field(Field::SubsetList))), uid(rv.GetUid()) {
    checkSubsets(rv.Memento());
}

rgnC_SetData::~rgnC_SetData() = default;

// The subsets are the entries 0 to numSubset - 1 of the subset list, each knowing its key and
// this set's index. The keys are checked here, from the keys the list read; a subset's own
// indices when it is fetched, so that reading a set still reads no subset.
void rgnC_SetData::checkSubsets(const cls_MementoRead& record) {
    if (numSubset < 0)
        record.Damaged("numSubset is " + std::to_string(numSubset) + ", a negative count");
    const int held = subsetList.Count();
    int first = 0, last = -1;
    if (held > 0) {
        rgnC_SubsetDataIter it(subsetList);
        it.First();
        first = it.CurrentKey();
        it.Last();
        last = it.CurrentKey();
    }
    if (held != numSubset || first != 0 || last != held - 1)
        record.Damaged("numSubset is " + std::to_string(numSubset) + " but its subset list holds " +
                       std::to_string(held) +
                       (held > 0 ? " subsets under the keys " + std::to_string(first) + " to " +
                                       std::to_string(last)
                                 : std::string(" subsets")));
    const int index = setIndex;
    subsetList.CheckFetchedEntries([index](const int& key, const rgnC_SubsetData& subset) {
        if (subset.SubsetIndex() != key)
            return "subsetIndex is " + std::to_string(subset.SubsetIndex()) +
                   " but the subset is stored under the key " + std::to_string(key);
        if (subset.SetIndex() != index)
            return "setIndex is " + std::to_string(subset.SetIndex()) +
                   " but the subset belongs to the set of index " + std::to_string(index);
        return std::string();
    });
}

rgnC_SetData* rgnC_SetData::Copy() const { return new rgnC_SetData(*this); }

void* rgnC_SetData::Ctor(cls_ReadVisitor& rv) { return new rgnC_SetData(rv); }

void rgnC_SetData::InitializeMetadata(cls_ClassRegistrar& registrar) {
    cls_ClassMetadata& md =
        registrar.AddClassMD(new cls_TypeAdapter<rgnC_SetData>(cow_String("rgnC_SetData"), 405, 1));
    md.AddAttribute(field(Field::SetIndex), cls_AttrInt, 1, cls_CollSingle);
    md.AddAttribute(field(Field::SetLabel), cls_AttrString, 1, cls_CollSingle);
    md.AddAttribute(field(Field::SubsetList), cls_AttrObject, cls_MapTypeId, cls_CollIntMap);
    md.AddAttribute(field(Field::NumSubset), cls_AttrInt, 1, cls_CollSingle);
    md.AddAttribute(field(Field::SetType), cls_AttrObject, omu_PrimEnumBase::TypeId(), cls_CollSingle);
    md.AddAttribute(field(Field::InternalSet), cls_AttrBool, 1, cls_CollSingle);
    md.AddAttribute(field(Field::Unsorted), cls_AttrBool, 1, cls_CollSingle);
    md.AddAttribute(field(Field::ConstructionOk), cls_AttrBool, 1, cls_CollSingle);
    md.AddDtor(&cls_ClassMetadata::ReleaseHeld<cow_COW<rgnC_SetData, cow_Virtual<rgnC_SetData>>>);
}

void rgnC_SetData::DBWrite(const cls_WriteVisitor& wv) const {
    if (!wv.StartWrite(TypeId(), uid))
        return;
    cls_MementoWrite& m = wv.Memento();
    m.WriteInt(field(Field::SetIndex), &setIndex);
    m.WriteString(field(Field::SetLabel), &setLabel);
    subsetList.DBWrite(cls_WriteVisitor(wv, field(Field::SubsetList), nullptr, nullptr));
    m.WriteInt(field(Field::NumSubset), &numSubset);
    setType.DBWrite(cls_WriteVisitor(wv, field(Field::SetType), nullptr, nullptr));
    m.WriteBool(field(Field::InternalSet), &internalSet);
    m.WriteBool(field(Field::Unsorted), &unsorted);
    m.WriteBool(field(Field::ConstructionOk), &constructionOk);
}

void rgnC_SetData::AddSubset(int meshIndex, int classIndex, cow_1DArrayList<int> ids,
                             res_SetTypeEnm subsetType, bool unsorted,
                             cow_1DArrayList<int> facetIds) {
    const int k = numSubset;
    if (static_cast<int>(subsetType) == 7)
        subsetType = setType.GetValue();
    // The count rises only once the subset is in the list, so a refused subset leaves the set
    // counting exactly the subsets it holds.
    auto* subset = new rgnC_SubsetData(meshIndex, classIndex, k, setIndex, subsetType, unsorted,
                                       ids, facetIds);
    subsetList.Insert(k, subset);
    numSubset = k + 1;
}

const rgnC_SubsetData& rgnC_SetData::SubSet(int index) const {
    if (0 <= index && index < numSubset)
        return subsetList.ConstGet(index);
    nex_Message::Raise(kSourceFile, kIndexOutOfRangeLine,
                       "Set data index outside range [0 - %1$s]: %2$s", numSubset, index);
}

const rgnC_SubsetData& rgnC_SetData::SubSet(int meshIndex, int classIndex,
                                            res_SetTypeEnm subsetType) const {
    rgnC_SubsetDataIter it(subsetList);
    for (it.First(); !it.IsDone(); it.Next()) {
        const rgnC_SubsetData& s = it.CurrentValue();
        if (s.MeshIndex() == meshIndex && s.ClassIndex() == classIndex &&
            s.SubsetType() == subsetType)
            return s;
    }
    nex_Message::Raise(kSourceFile, kNoMatchingSubsetLine,
                       "No set matching mesh index %1$s, class index %2$s and type %3$s was found.",
                       meshIndex, classIndex, static_cast<int>(subsetType));
}

bool rgnC_SetData::IsEqual(const rgnC_SetData& other) const {
    if (setType.GetValue() != other.setType.GetValue() || numSubset != other.numSubset)
        return false;
    for (int i = 0; i < numSubset; ++i) {
        const rgnC_SubsetData& a = subsetList.ConstGet(i);
        const rgnC_SubsetData& b = other.subsetList.ConstGet(i);
        if (a.IdArray().Count() != b.IdArray().Count() || a.MeshIndex() != b.MeshIndex() ||
            a.ClassIndex() != b.ClassIndex() || a.SubsetType() != b.SubsetType() ||
            !a.IdArray().IsEqual(b.IdArray()) || !a.FacetIdArray().IsEqual(b.FacetIdArray()))
            return false;
    }
    return true;
}

void rgnC_SetData::Print() const {
    const int type = static_cast<int>(setType.GetValue());
    pnt_PrettyPrint& out = pnt_debugPrint();
    out << "Set Label               = " << setLabel << endl;
    out << "Set Index               = " << setIndex << endl;
    out << "Set Type             = " << (type == 1 ? "Element" : type == 0 ? "Node" : "Surface")
        << endl;
    out << "Internal Set            = " << (internalSet ? "True" : "False") << endl;
    out << "Unsorted Set            = " << (unsorted ? "True" : "False") << endl;
    out << "Num subsets in this set = " << numSubset << endl;
    for (int i = 0; i < numSubset; ++i)
        SubSet(i).Print();
}
