// The subset-data record of schema version 316 and its step to the current layout, where
// "unsorted" is always false.
#pragma once

#include "dbc_OldClassVersion.h"

class dbc_Row;
class dbc_Table;

class rgnC_SubsetData_316 : public dbc_OldClassVersion {
public:
    void InitializeMetadata(cls_ClassRegistrar& registrar) const override;
    void SchemaChanges(dbc_DatabaseConverter& converter) const override;

    // 316 -> 405, row by row.
    static void* ClearUnsorted(const dbc_Row& input, dbc_Row& output, int);
};
