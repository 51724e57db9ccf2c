// The region record of schema version 204 (name, internal, "_typeObsolete", setData) and its
// step to the current layout: an empty owner-name list, "_space" and "_setTypeBits" 0.
#pragma once

#include "dbc_OldClassVersion.h"

class dbc_Row;
class dbc_Table;

class rgnC_Region_204 : public dbc_OldClassVersion {
public:
    void InitializeMetadata(cls_ClassRegistrar& registrar) const override;
    void SchemaChanges(dbc_DatabaseConverter& converter) const override;

    // 204 -> 331, row by row.
    static void* AddOwnerNamesSpaceAndBits(const dbc_Row& input, dbc_Row& output, int);
};
