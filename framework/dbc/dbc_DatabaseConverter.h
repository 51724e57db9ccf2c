// The numbered converters of one upgrade, and, while it runs, the databases it reads and
// writes. The old class versions bind their functions on it (SchemaChanges); conversion
// functions reach it through dbc_DatabaseConverterHolder.
#pragma once

#include "dbc_Converter.h"

#include <map>
#include <memory>

class dbc_InputDatabase;
class dbc_OutputDatabase;

class dbc_DatabaseConverter {
public:
    dbc_DatabaseConverter();
    ~dbc_DatabaseConverter();
    dbc_DatabaseConverter(const dbc_DatabaseConverter&) = delete;
    dbc_DatabaseConverter& operator=(const dbc_DatabaseConverter&) = delete;

    // The converter of that number, made on first use; it lives as long as this object.
    dbc_Converter* GetConverter(int number);
    // The converters, ascending by number.
    const std::map<int, std::unique_ptr<dbc_Converter>>& Converters() const { return converters_; }

    // The database being converted, as the steps so far have left it, and the same database
    // as it is written (both valid while an upgrade runs).
    dbc_InputDatabase& InputDatabase() const { return *input_; }
    dbc_OutputDatabase& OutputDatabase() const { return *output_; }
    void SetDatabases(dbc_InputDatabase* input, dbc_OutputDatabase* output) {
        input_ = input;
        output_ = output;
    }

private:
    std::map<int, std::unique_ptr<dbc_Converter>> converters_;
    dbc_InputDatabase* input_ = nullptr;
    dbc_OutputDatabase* output_ = nullptr;
};
