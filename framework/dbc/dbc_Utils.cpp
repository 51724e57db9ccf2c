#include "dbc_Utils.h"

#include "cls_ClassMetadata.h"
#include "cls_Codes.h"
#include "cls_SqliteConnection.h"
#include "cls_SqliteStatement.h"
#include "cls_Uid.h"
#include "dbc_Conversion.h"
#include "dbc_DatabaseConverter.h"
#include "dbc_DatabaseConverterHolder.h"
#include "dbc_OutputDatabase.h"
#include "dbc_Row.h"
#include "dbc_Table.h"
#include "omi_Singleton.h"

#include <string>

namespace {

dbc_Conversion& running() {
    return omi_Singleton<dbc_DatabaseConverterHolder>::Instance()
        .GetDatabaseConverter()
        .OutputDatabase()
        .Conversion();
}

void refer(dbc_Row& row, const char* field, std::uint64_t oid, std::uint32_t classId) {
    const std::string name(field);
    const std::string oidField = name + "#OID", classField = name + "#ClassID";
    row.WriteInt(rfm_FieldHandle(oidField.c_str(), -1), static_cast<std::int64_t>(oid));
    row.WriteInt(rfm_FieldHandle(classField.c_str(), -1), std::int64_t{classId});
}

// The collection kind of an object attribute of the row's class, or 0 when unknown.
int collectionOf(const dbc_Row& row, const char* field) {
    const cls_ClassMetadata* md = row.Fields()->metadata;
    const auto* attribute = md ? md->FindAttribute(field) : nullptr;
    return attribute ? attribute->collection : 0;
}

} // namespace

dbc_Row* dbc_Utils::SetObj(dbc_Table& table, const char* field, dbc_Row& row,
                           std::uint32_t typeId) {
    dbc_Row& made = table.NewRow();
    refer(row, field, made.ObjectId(), typeId);
    return &made;
}

dbc_Table* dbc_Utils::SetNewAttributeListInOutputDatabase(dbc_Row& row, const char* field, int) {
    dbc_Conversion& c = running();
    const std::uint64_t oid = c.AllocateRow();
    const auto uid = static_cast<std::int64_t>(cls_Uid::AllocateUid().Value());
    if (collectionOf(row, field) == cls_CollObjectList) {
        cls_SqliteStatement& s = c.Sql().Cached(
            "INSERT INTO cls_collection (oid, \"#uid\", kind) VALUES (?, ?, ?)");
        s.Bind(1, static_cast<std::int64_t>(oid)).Bind(2, uid);
        s.Bind(3, std::int64_t{cls_CollObjectList}).Run();
    } else {
        cls_SqliteStatement& s =
            c.Sql().Cached("INSERT INTO cls_strlist (oid, \"#uid\", texts) VALUES (?, ?, x'')");
        s.Bind(1, static_cast<std::int64_t>(oid)).Bind(2, uid).Run();
    }
    refer(row, field, oid, cls_ListTypeId);
    return nullptr;
}

cow_CountedHld<cls_xp1DArrayListInt>* dbc_Utils::SetNewAttributeArrayIntInOutputDatabase(
    dbc_Row& row, const char* field, int) {
    dbc_Conversion& c = running();
    const std::uint64_t oid = c.AllocateRow();
    auto* body = new cls_xp1DArrayListInt();
    cls_SqliteStatement& s = c.Sql().Cached(
        "INSERT INTO cls_intlist (oid, \"#uid\", count, ids) VALUES (?, ?, 0, x'')");
    s.Bind(1, static_cast<std::int64_t>(oid))
        .Bind(2, static_cast<std::int64_t>(body->Uid().Value()))
        .Run();
    refer(row, field, oid, cls_ListTypeId);
    return new cow_CountedHld<cls_xp1DArrayListInt>(body);
}

dbc_Table* dbc_Utils::GetAttributeMapFromInputDatabase(const dbc_Row& row, const char* field, int) {
    dbc_Conversion& c = running();
    static const dbc_Row::Layout entryLayout = [] {
        auto layout = std::make_shared<dbc_RowLayout>();
        layout->fields = {"key", "OID", "ClassID"};
        return layout;
    }();
    auto* table = new dbc_Table(c, "cls_map", cls_MapTypeId, std::string(), entryLayout);
    const std::string oidField = std::string(field) + "#OID";
    const std::int64_t map = row.ReadInt(rfm_FieldHandle(oidField.c_str(), -1), 0);
    cls_SqliteStatement& s = c.Sql().Cached(
        "SELECT key, elemOid, elemClassId FROM cls_map WHERE oid = ? ORDER BY key");
    s.Bind(1, map);
    while (s.Step()) {
        dbc_Row& entry = table->Loaded().emplace_back(entryLayout, 0, 0);
        entry.Values() = {s.Int(0), s.Int(1), s.Int(2)};
    }
    s.Reset();
    return table;
}
