// The subset-data record of schema version 303 and its step to 316, which changes nothing of
// its own ("numItems", absent from 316, is dropped by the conversion).
#pragma once

#include "dbc_OldClassVersion.h"

class dbc_Row;
class dbc_Table;

class rgnC_SubsetData_303 : public dbc_OldClassVersion {
public:
    void InitializeMetadata(cls_ClassRegistrar& registrar) const override;
    void SchemaChanges(dbc_DatabaseConverter& converter) const override;

    // 303 -> 316: nothing.
    static void* KeepAsIs(const dbc_Row& input, dbc_Row& output, int);
};
