#include "tool_TempFile.h"

#include "tool_BadInput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

tool_TempFile::tool_TempFile(const std::string& target) : target_(target) {
    const std::filesystem::path t(target);
    path_ = (t.parent_path() /
             ("." + t.filename().string() + ".rgn-" + std::to_string(::getpid()) + ".tmp"))
                .string();
    std::remove(path_.c_str());
}

tool_TempFile::~tool_TempFile() {
    if (committed_)
        return;
    std::remove(path_.c_str());
    std::remove((path_ + "-journal").c_str());
}

void tool_TempFile::Commit() {
    if (std::rename(path_.c_str(), target_.c_str()) != 0)
        throw tool_BadInput(target_, std::string("cannot be written: ") + std::strerror(errno));
    committed_ = true;
}
