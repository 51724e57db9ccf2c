// One numbered converter: the class converters bound under its number. Converters run in
// ascending number; each converts the classes bound to it.
#pragma once

#include "dbc_ClassConverter.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>

class dbc_Converter {
public:
    explicit dbc_Converter(int number) : number_(number) {}

    // The converter of records of `className` (type id `typeId`) stored in version
    // `sourceVersion`; made on first use.
    dbc_ClassConverter& Upgrade(const char* className, std::uint32_t typeId, int sourceVersion);

    struct Step {
        std::string className;
        dbc_ClassConverter converter;
    };
    // By (type id, source version).
    const std::map<std::pair<std::uint32_t, int>, Step>& Steps() const { return steps_; }
    int Number() const { return number_; }

private:
    int number_;
    std::map<std::pair<std::uint32_t, int>, Step> steps_;
};
