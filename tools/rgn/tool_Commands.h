// The tool's commands. Each answers a JSON document: printed as it is with --json, and as
// plain text (tool_Report) otherwise. Bad input throws tool_BadInput or the framework's
// nex_Exception, both naming the file or text at fault.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

class ddr_Ddb;

class tool_Commands {
public:
    static nlohmann::json Demo(const std::string& db);
    static nlohmann::json Import(const std::string& mesh, const std::string& db, bool replace);
    static nlohmann::json Export(const std::string& db, const std::string& out);
    static nlohmann::json Ls(const std::string& db);
    static nlohmann::json Show(const std::string& db, const std::string& path);
    static nlohmann::json Lookup(const std::string& db, const std::string& path,
                                 const std::vector<int>& ids);
    // Problems found are listed in "problems"; the caller exits with 1 when there are any.
    static nlohmann::json Check(const std::string& db);

    // Upgrades a database written in older class layouts into a new file (nothing is written
    // when it is current already).
    static nlohmann::json Upgrade(const std::string& old, const std::string& upgraded);
    // Deletes the rows no root reaches and gives their space back.
    static nlohmann::json Compact(const std::string& db);

    // The storage-level checks of a model database, one text per problem: SQLite's integrity
    // check and the store's own invariants (every reference resolves, every entry belongs to a
    // collection, every int list holds the ids its count says).
    static std::vector<std::string> checkStore(ddr_Ddb& db);
};
