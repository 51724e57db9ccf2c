// A table of the input database: the stored rows of one class as the conversion found them.
// Made by dbc_InputDatabase::GetInputTable; the caller deletes it.
#pragma once

#include "dbc_Table.h"

class dbc_TableRfm : public dbc_Table {
public:
    using dbc_Table::dbc_Table;
};
