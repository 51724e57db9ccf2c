#include "tool_ExodusFile.h"

#include "tool_BadInput.h"

#include <exodusII.h>

#include <cstdlib>

tool_ExodusFile::tool_ExodusFile(const std::string& path, Mode mode, const std::string& shownAs)
    : shownAs_(shownAs.empty() ? path : shownAs) {
    // The library prints its own messages unless told not to; ours say the same in one line.
    ex_opts(getenv("RGN_EXODUS_VERBOSE") ? EX_VERBOSE : 0);
    int cpuWordSize = sizeof(double);
    int ioWordSize = mode == Mode::Create ? sizeof(double) : 0;
    if (mode == Mode::Read) {
        float version = 0;
        id_ = ex_open(path.c_str(), EX_READ, &cpuWordSize, &ioWordSize, &version);
        if (id_ < 0)
            throw tool_BadInput(shownAs_, "not a readable Exodus II file");
    } else {
        id_ = ex_create(path.c_str(), EX_CLOBBER, &cpuWordSize, &ioWordSize);
        if (id_ < 0)
            throw tool_BadInput(shownAs_, "cannot create an Exodus II file there");
    }
}

tool_ExodusFile::~tool_ExodusFile() {
    if (id_ >= 0)
        ex_close(id_);
}

void tool_ExodusFile::Check(int status, const std::string& what) const {
    if (status < 0)
        throw tool_BadInput(shownAs_, "Exodus II error while " + what);
}

void tool_ExodusFile::Close() {
    const int id = id_;
    id_ = -1;
    Check(ex_close(id), "closing the file");
}
