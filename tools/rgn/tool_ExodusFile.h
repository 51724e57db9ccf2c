// An open Exodus II file, closed with the object; every failed call becomes tool_BadInput
// naming the file and what was being done.
#pragma once

#include <string>

class tool_ExodusFile {
public:
    enum class Mode { Read, Create };
    // `shownAs` is the name failures give (the target of a file built under a temporary name).
    tool_ExodusFile(const std::string& path, Mode mode, const std::string& shownAs = {});
    ~tool_ExodusFile();
    tool_ExodusFile(const tool_ExodusFile&) = delete;
    tool_ExodusFile& operator=(const tool_ExodusFile&) = delete;

    int Id() const { return id_; }
    // Throws when `status` reports an error of the call described by `what`.
    void Check(int status, const std::string& what) const;
    // Closes now, reporting a failure (the destructor cannot).
    void Close();

private:
    std::string shownAs_;
    int id_ = -1;
};
