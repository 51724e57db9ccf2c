#include "dbc_OldClassVersion.h"

dbc_OldClassVersion::~dbc_OldClassVersion() = default;

void dbc_OldClassVersion::SchemaChanges(dbc_DatabaseConverter&) const {}

std::vector<std::string> dbc_OldClassVersion::ClassesToDelete() const { return {}; }

std::vector<std::pair<std::string, std::string>> dbc_OldClassVersion::ClassesToRename() const {
    return {};
}

std::vector<std::pair<std::string, std::string>> dbc_OldClassVersion::TablesToRename() const {
    return {};
}
