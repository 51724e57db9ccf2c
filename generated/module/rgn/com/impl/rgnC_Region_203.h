// The region record of schema version 203 (name, internal, "_type", setData) and its step
// to 204: a region without a set-data path gets a new, undefined one, and "_typeObsolete"
// becomes "None" (the old "_type" is not kept).
#pragma once

#include "dbc_OldClassVersion.h"

class dbc_Row;
class dbc_Table;

class rgnC_Region_203 : public dbc_OldClassVersion {
public:
    void InitializeMetadata(cls_ClassRegistrar& registrar) const override;
    void SchemaChanges(dbc_DatabaseConverter& converter) const override;

    // 203 -> 204, row by row; then nothing after the last row.
    static void* FillSetDataAndTypeObsolete(const dbc_Row& input, dbc_Row& output, int);
    static void* FinishRegion203(const dbc_Table& input, dbc_Table& output);
};
