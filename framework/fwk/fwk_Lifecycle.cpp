#include "fwk_Lifecycle.h"

namespace {
std::vector<std::string>*& recorder() {
    static std::vector<std::string>* log = nullptr;
    return log;
}
} // namespace

void fwk_Lifecycle::AttachRecorder(std::vector<std::string>* log) { recorder() = log; }

bool fwk_Lifecycle::Enter() {
    if (nesting_++ != 0)
        return false;
    if (recorder())
        recorder()->push_back(std::string(prefix_) + "+");
    return true;
}

bool fwk_Lifecycle::Leave() {
    if (nesting_ == 0 || --nesting_ != 0)
        return false;
    if (recorder())
        recorder()->push_back(std::string(prefix_) + "-");
    return true;
}
