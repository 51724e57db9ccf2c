// Plain-text rendering of the commands' JSON answers, for people at a terminal.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>

class tool_Report {
public:
    // Writes the answer of `command` ("ls", "show", ...) to `out`.
    static void Print(const std::string& command, const nlohmann::json& answer, std::FILE* out);
};
