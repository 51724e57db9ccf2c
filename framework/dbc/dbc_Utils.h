// What conversion functions use to make objects and collections in the database being
// converted, and to read a stored map of the input as a table.
//
//   dbc_Utils& u = omi_Singleton<dbc_Utils>::Instance();
//   dbc_Row* path = u.SetObj(*table, "setData", output, typeId);
//   path->Complete();
#pragma once

#include "cls_xp1DArrayListInt.h"
#include "cow_CountedHld.h"

#include <cstdint>

class dbc_Row;
class dbc_Table;

class dbc_Utils {
public:
    // A new object row in `table` (all fields empty), referred to from the field `field` of
    // `row` ("<field>#OID" and "<field>#ClassID"); the table keeps it, its Complete stores it.
    dbc_Row* SetObj(dbc_Table& table, const char* field, dbc_Row& row, std::uint32_t typeId);
    // A new, empty list (of the kind the field's attribute holds: strings or objects) stored in
    // the output database and referred to from `field` of `row`. Answers null: there is no table
    // of its elements to give.
    dbc_Table* SetNewAttributeListInOutputDatabase(dbc_Row& row, const char* field, int);
    // A new, empty int list stored in the output database and referred to from `field` of
    // `row`; the holder of its body (count 1) is the caller's to release.
    cow_CountedHld<cls_xp1DArrayListInt>* SetNewAttributeArrayIntInOutputDatabase(
        dbc_Row& row, const char* field, int);
    // The entries of the stored map `field` of an input row, as a table with the fields "key",
    // "OID" and "ClassID" (the entry's object), in key order; the caller deletes it. An empty
    // table for an empty or absent map.
    dbc_Table* GetAttributeMapFromInputDatabase(const dbc_Row& row, const char* field, int);
};
