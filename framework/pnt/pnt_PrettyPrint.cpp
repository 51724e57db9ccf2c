#include "pnt_PrettyPrint.h"

#include "fwk_Lifecycle.h"

#include <cstdio>

pnt_PrettyPrint& pnt_PrettyPrint::operator<<(std::string_view text) {
    line_.append(text);
    return *this;
}

pnt_PrettyPrint& pnt_PrettyPrint::operator<<(long long value) {
    line_.append(std::to_string(value));
    return *this;
}

pnt_PrettyPrint& pnt_PrettyPrint::operator<<(pnt_EndLine) {
    line_.push_back('\n');
    if (capture_) {
        capture_->append(line_);
    } else {
        std::fwrite(line_.data(), 1, line_.size(), stderr);
        std::fflush(stderr);
    }
    line_.clear();
    return *this;
}

pnt_PrettyPrint& pnt_debugPrint() {
    thread_local pnt_PrettyPrint printer;
    return printer;
}

namespace {
constinit fwk_Lifecycle lifecycle("pnt");
} // namespace

void pnt_initialize(int&) { lifecycle.Enter(); }
void pnt_finalize(int&) { lifecycle.Leave(); }
