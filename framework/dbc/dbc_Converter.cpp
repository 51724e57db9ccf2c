#include "dbc_Converter.h"

dbc_ClassConverter& dbc_Converter::Upgrade(const char* className, std::uint32_t typeId,
                                           int sourceVersion) {
    Step& step = steps_[{typeId, sourceVersion}];
    step.className = className;
    return step.converter;
}
