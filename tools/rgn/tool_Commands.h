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

    // The storage-level checks of a model database, one text per problem. Today SQLite's own
    // integrity check; references that do not resolve and rows no root reaches belong here
    // too, once the store can answer them.
    static std::vector<std::string> checkStore(ddr_Ddb& db);
};
