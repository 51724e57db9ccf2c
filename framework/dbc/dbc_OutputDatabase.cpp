#include "dbc_OutputDatabase.h"

#include "dbc_Conversion.h"
#include "dbc_Table.h"

dbc_OutputDatabase::dbc_OutputDatabase(dbc_Conversion& conversion) : conversion_(conversion) {}
dbc_OutputDatabase::~dbc_OutputDatabase() = default;

dbc_Table* dbc_OutputDatabase::GetOutputTable(std::uint32_t typeId) {
    const std::string table = conversion_.OutputTable(typeId);
    auto& slot = tables_[typeId];
    if (!slot || slot->Layout() != conversion_.LayoutOf(table))
        slot = std::make_unique<dbc_Table>(conversion_, conversion_.ClassName(typeId), typeId, table,
                                           conversion_.LayoutOf(table));
    return slot.get();
}
