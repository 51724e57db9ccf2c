// The database being converted, as read by conversion functions: the tables of the stored
// classes in the layouts the steps so far have left them in.
#pragma once

#include <cstdint>

class dbc_Conversion;
class dbc_TableRfm;

class dbc_InputDatabase {
public:
    explicit dbc_InputDatabase(dbc_Conversion& conversion) : conversion_(conversion) {}

    bool HasInputTable(std::uint32_t typeId) const;
    // The rows of class `typeId` (read on first use); a new object the caller deletes. Throws
    // when the database holds no such class.
    dbc_TableRfm* GetInputTable(std::uint32_t typeId) const;

private:
    dbc_Conversion& conversion_;
};
