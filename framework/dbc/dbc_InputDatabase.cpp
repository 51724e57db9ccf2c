#include "dbc_InputDatabase.h"

#include "dbc_Conversion.h"
#include "dbc_TableRfm.h"

bool dbc_InputDatabase::HasInputTable(std::uint32_t typeId) const {
    return conversion_.HasClass(typeId);
}

dbc_TableRfm* dbc_InputDatabase::GetInputTable(std::uint32_t typeId) const {
    if (!conversion_.HasClass(typeId))
        conversion_.Fail("conversion: the database holds no objects of the class with type id " +
                         std::to_string(typeId));
    const std::string name = conversion_.ClassName(typeId);
    return new dbc_TableRfm(conversion_, name, typeId, name, conversion_.LayoutOf(name));
}
