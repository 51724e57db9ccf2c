// A file built under a temporary name in the target's folder and renamed over the target only
// by Commit, so that a failure at any point leaves the target as it was (absent or old) and
// no half-written file under its name. The rename is atomic on one file system, which holds
// because the temporary file is made in the target's own folder.
//
//   tool_TempFile temp("out/plate.db");
//   write(temp.Path());
//   temp.Commit();      // without it the destructor removes what was written
#pragma once

#include <string>

class tool_TempFile {
public:
    explicit tool_TempFile(const std::string& target);
    // Removes the temporary file (and what SQLite may leave beside it) unless committed.
    ~tool_TempFile();
    tool_TempFile(const tool_TempFile&) = delete;
    tool_TempFile& operator=(const tool_TempFile&) = delete;

    const std::string& Path() const { return path_; }
    // Renames the temporary file over the target; throws tool_BadInput when it cannot.
    void Commit();

private:
    std::string target_;
    std::string path_;
    bool committed_ = false;
};
