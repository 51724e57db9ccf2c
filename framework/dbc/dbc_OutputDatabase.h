// The database being converted, as written by conversion functions: where new objects go.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

class dbc_Conversion;
class dbc_Table;

class dbc_OutputDatabase {
public:
    explicit dbc_OutputDatabase(dbc_Conversion& conversion);
    ~dbc_OutputDatabase();

    // The table new objects of class `typeId` go into, in the class's current layout (made when
    // the database lacks it). Kept by the output database; the same object on every call.
    dbc_Table* GetOutputTable(std::uint32_t typeId);
    dbc_Conversion& Conversion() { return conversion_; }

private:
    dbc_Conversion& conversion_;
    std::map<std::uint32_t, std::unique_ptr<dbc_Table>> tables_;
};
