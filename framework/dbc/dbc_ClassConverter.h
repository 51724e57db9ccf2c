// What converts the records of one class from one stored version to the next registered
// layout: a function run on every row, and one run after the last row.
#pragma once

class dbc_Row;
class dbc_Table;

class dbc_ClassConverter {
public:
    using ConversionFunction = void* (*)(const dbc_Row& input, dbc_Row& output, int);
    using FinalizeFunction = void* (*)(const dbc_Table& input, dbc_Table& output);

    void BindConversionFunction(ConversionFunction f) { conversion_ = f; }
    void BindFinalizeFunction(FinalizeFunction g) { finalize_ = g; }

    ConversionFunction Conversion() const { return conversion_; }
    FinalizeFunction Finalize() const { return finalize_; }

private:
    ConversionFunction conversion_ = nullptr;
    FinalizeFunction finalize_ = nullptr;
};
