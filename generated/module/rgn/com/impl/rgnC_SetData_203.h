// The set-data record of schema version 203 (before "unsorted") and its step to the current
// layout, where "unsorted" is false unless the record holds a value.
#pragma once

#include "dbc_OldClassVersion.h"

class dbc_Row;
class dbc_Table;

class rgnC_SetData_203 : public dbc_OldClassVersion {
public:
    void InitializeMetadata(cls_ClassRegistrar& registrar) const override;
    void SchemaChanges(dbc_DatabaseConverter& converter) const override;

    // 203 -> 405, row by row.
    static void* SetUnsortedIfMissing(const dbc_Row& input, dbc_Row& output, int);
};
