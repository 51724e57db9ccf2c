// The subset-data record of schema version 203 (no type, no facet ids) and its step to 303: a
// subset takes the type of the set data that lists it, and an empty facet list.
//
// The step keeps two caches for the time of one conversion run, released by its finalize
// function: the set-data input table and a table from each subset's object id (all 64 bits)
// to the row of the set data that lists it. They are per thread: a thread runs one upgrade.
#pragma once

#include "dbc_OldClassVersion.h"

class dbc_Row;
class dbc_Table;

class rgnC_SubsetData_203 : public dbc_OldClassVersion {
public:
    void InitializeMetadata(cls_ClassRegistrar& registrar) const override;
    void SchemaChanges(dbc_DatabaseConverter& converter) const override;

    // 203 -> 303, row by row; then the caches go.
    static void* SubsetTypeFromOwningSet(const dbc_Row& input, dbc_Row& output, int);
    static void* ReleaseSetTables(const dbc_Table& input, dbc_Table& output);
};
