// A failure caused by what the user gave the tool (a file it cannot read, a path that names
// nothing): reported as one line naming the file and the problem, exit code 1.
#pragma once

#include <stdexcept>
#include <string>

class tool_BadInput : public std::runtime_error {
public:
    tool_BadInput(const std::string& file, const std::string& problem)
        : std::runtime_error(file + ": " + problem) {}
};
