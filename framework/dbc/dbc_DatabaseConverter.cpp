#include "dbc_DatabaseConverter.h"

dbc_DatabaseConverter::dbc_DatabaseConverter() = default;
dbc_DatabaseConverter::~dbc_DatabaseConverter() = default;

dbc_Converter* dbc_DatabaseConverter::GetConverter(int number) {
    auto& slot = converters_[number];
    if (!slot)
        slot = std::make_unique<dbc_Converter>(number);
    return slot.get();
}
