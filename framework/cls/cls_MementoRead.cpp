#include "cls_MementoRead.h"

#include "cls_ClassRegistrar.h"
#include "cls_Codes.h"
#include "cls_Database.h"
#include "cls_ReadVisitor.h"

#include <algorithm>
#include <climits>
#include <variant>

namespace {
const char* kindName(const cls_StoredRow::Value& v) {
    switch (v.index()) {
    case 1: return "an integer";
    case 2: return "a real number";
    case 3: return "text";
    case 4: return "a BLOB";
    default: return "nothing";
    }
}
} // namespace

const cls_ClassMetadata* cls_MementoRead::Metadata() const {
    if (!present_ || classId_ == cls_ListTypeId || classId_ == cls_MapTypeId)
        return nullptr;
    return &reader_->Database().ClassOf(classId_);
}

namespace {
std::string classNameOf(std::uint32_t classId) {
    const cls_ClassMetadata* md = cls_ClassRegistrar::Current().Find(classId);
    return md                          ? md->Name().str()
           : classId == cls_MapTypeId  ? std::string("stored map")
           : classId == cls_ListTypeId ? std::string("stored list")
                                       : "class id " + std::to_string(classId);
}
} // namespace

void cls_MementoRead::Damaged(const std::string& problem) const {
    reader_->Database().Fail("damaged: object " + std::to_string(oid_) + " (" +
                             classNameOf(classId_) + "): " + problem);
}

std::string cls_MementoRead::placeOf(std::uint64_t oid, std::uint32_t classId) const {
    return "model database '" + reader_->Database().Path() + "': object " + std::to_string(oid) +
           " (" + classNameOf(classId) + ")";
}

void cls_MementoRead::AddContext(nex_Exception& failure) const {
    if (present_ && !failure.HasContext())
        failure.AddContext(placeOf(oid_, classId_));
}

void cls_MementoRead::ExpectClass(std::uint32_t typeId) const {
    if (present_ && !cls_ClassRegistrar::Current().IsA(classId_, typeId))
        Damaged("it stands where a '" + classNameOf(typeId) + "' belongs");
}

const cls_StoredRow::Value* cls_MementoRead::find(const cow_String& column) const {
    const cls_ClassMetadata* md = Metadata();
    if (!md)
        return nullptr;
    if (!row_)
        row_ = reader_->Database().Rows().ObjectRow(classId_, md->Name().str(), oid_);
    const cls_StoredRow::Value* v = row_->Find(column.view());
    return v && !std::holds_alternative<cls_StoredRow::Null>(*v) ? v : nullptr;
}

int cls_MementoRead::ReadInt(const cls_FieldHandle& handle, int defaultValue) const {
    const auto* v = find(handle.Name());
    if (!v)
        return defaultValue;
    const auto* i = std::get_if<std::int64_t>(v);
    if (!i)
        Damaged("attribute '" + handle.Name().str() + "' holds " + kindName(*v) +
                " where an int belongs");
    if (*i < INT_MIN || *i > INT_MAX)
        Damaged("attribute '" + handle.Name().str() + "' holds " + std::to_string(*i) +
                ", beyond the range of an int");
    return static_cast<int>(*i);
}

bool cls_MementoRead::ReadBool(const cls_FieldHandle& handle, bool defaultValue) const {
    const auto* v = find(handle.Name());
    if (!v)
        return defaultValue;
    const auto* i = std::get_if<std::int64_t>(v);
    if (!i || (*i != 0 && *i != 1))
        Damaged("attribute '" + handle.Name().str() + "' holds " +
                (i ? std::to_string(*i) : std::string(kindName(*v))) + " where a bool belongs");
    return *i != 0;
}

cow_String cls_MementoRead::ReadString(const cls_FieldHandle& handle,
                                       const cow_String& defaultValue) const {
    const auto* v = find(handle.Name());
    if (!v)
        return defaultValue;
    const auto* s = std::get_if<cow_String>(v);
    if (!s)
        Damaged("attribute '" + handle.Name().str() + "' holds " + kindName(*v) +
                " where text belongs");
    return *s;
}

std::optional<cls_Database::Reference> cls_MementoRead::ReadReference(
    const cls_FieldHandle& handle) const {
    const auto* oid = find(handle.Name() + "#OID");
    const auto* classId = find(handle.Name() + "#ClassID");
    if (!oid && !classId)
        return std::nullopt;
    const auto* o = oid ? std::get_if<std::int64_t>(oid) : nullptr;
    const auto* c = classId ? std::get_if<std::int64_t>(classId) : nullptr;
    if (!o || !c || *o <= 0 || *c < 0 || *c > static_cast<std::int64_t>(UINT32_MAX))
        Damaged("attribute '" + handle.Name().str() + "' holds a broken reference");
    return cls_Database::Reference{static_cast<std::uint64_t>(*o), static_cast<std::uint32_t>(*c)};
}

void cls_MementoRead::loadList() const {
    if (listLoaded_)
        return;
    cls_RowStore& rows = reader_->Database().Rows();
    if (classId_ == cls_ListTypeId && collection_ == cls_CollIntList) {
        auto stored = rows.IntList(oid_);
        storedUid_ = stored.uid;
        ids_ = std::move(stored.content);
    } else if (classId_ == cls_ListTypeId && collection_ == cls_CollStringList) {
        auto stored = rows.StringList(oid_);
        storedUid_ = stored.uid;
        texts_ = std::move(stored.content);
    } else if (classId_ == cls_ListTypeId || classId_ == cls_MapTypeId) {
        const auto stored = rows.Collection(oid_);
        const int expected = classId_ == cls_MapTypeId ? cls_CollIntKeyedMap : cls_CollObjectList;
        if (stored.content != expected)
            Damaged("a collection of kind " + std::to_string(stored.content) + " stands where " +
                    std::to_string(expected) + " belongs");
        storedUid_ = stored.uid;
    } else {
        Damaged("an object stands where a list belongs");
    }
    listLoaded_ = true;
}

cow_1DArrayList<int> cls_MementoRead::IntArray() const {
    if (!present_)
        return {};
    if (classId_ != cls_ListTypeId || collection_ != cls_CollIntList)
        Damaged("something else stands where a list of ints belongs");
    loadList();
    return ids_;
}

std::vector<cow_String> cls_MementoRead::StringList() const {
    if (!present_)
        return {};
    if (classId_ != cls_ListTypeId || collection_ != cls_CollStringList)
        Damaged("something else stands where a list of strings belongs");
    loadList();
    return texts_;
}

cls_Uid cls_MementoRead::Uid() const {
    if (!present_)
        return cls_Uid();
    std::uint64_t stored = 0;
    if (Metadata()) {
        if (!row_)
            row_ = reader_->Database().Rows().ObjectRow(classId_, Metadata()->Name().str(), oid_);
        stored = row_->uid;
    } else {
        loadList();
        stored = storedUid_;
    }
    return cls_Uid(reader_->Database().IdentityOfRow(oid_, classId_, stored));
}

void* cls_MementoRead::buildObject(const cls_Database::Reference& ref, std::uint32_t declaredTypeId,
                                   int collection) const {
    cls_Database& db = reader_->Database();
    const cls_ClassMetadata& md = db.ClassOf(ref.classId);
    const cls_ClassRegistrar& registrar = cls_ClassRegistrar::Current();
    // A record of the declared class or one derived from it, or of a class registered to
    // stand in for the declared one (built by the factory registered with it).
    cls_ClassMetadata::CtorFunction standIn = nullptr;
    if (!registrar.IsA(ref.classId, declaredTypeId)) {
        const cls_ClassMetadata* declared = registrar.Find(declaredTypeId);
        standIn = declared ? declared->StandInCtor(ref.classId) : nullptr;
        if (!standIn)
            db.Fail("damaged: object " + std::to_string(ref.oid) + " (" + md.Name().str() +
                    "): it stands where a '" + classNameOf(declaredTypeId) + "' belongs");
    }
    const std::vector<std::uint64_t>& building = reader_->Building();
    if (std::find(building.begin(), building.end(), ref.oid) != building.end())
        Damaged("it refers to object " + std::to_string(ref.oid) + ", which contains it");
    if (building.size() >= cls_Reader::kMaxNesting)
        Damaged("objects refer to one another more than " +
                std::to_string(cls_Reader::kMaxNesting) + " levels deep");
    return BuildObject(*reader_, md, ref.oid, ref.classId, collection, standIn);
}

void* cls_MementoRead::BuildObject(cls_Reader& reader, const cls_ClassMetadata& md,
                                   std::uint64_t oid, std::uint32_t classId, int collection,
                                   void* (*standIn)(cls_ReadVisitor&)) {
    cls_MementoRead memento(reader, oid, classId, collection);
    cls_ReadVisitor visitor(&memento);
    reader.Enter(oid);
    void* object = nullptr;
    try {
        object = standIn ? standIn(visitor) : md.Ctor(visitor);
    } catch (nex_Exception& e) {
        // The class's own error, its type and text unchanged, with the object's place in front.
        reader.Leave();
        memento.AddContext(e);
        throw;
    } catch (...) {
        reader.Leave();
        throw;
    }
    reader.Leave();
    if (!object)
        reader.Database().Fail("class '" + md.Name().str() + "' cannot be built from a record");
    return object;
}
