#include "typ_DebugFlags.h"

#include "fwk_Lifecycle.h"

#include <cstdlib>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

// Asked for by listings in any thread, set rarely: one lock for all of it.
struct Levels {
    std::mutex mutex;
    bool environmentRead = false;
    std::unordered_map<unsigned short, int> byModule;
};

Levels& levels() {
    static Levels l;
    return l;
}

// Malformed pairs are skipped: a typo in the environment must not stop the application.
void readEnvironment(Levels& l) {
    l.environmentRead = true;
    const char* env = std::getenv("RGN_DEBUG");
    if (!env)
        return;
    std::string text(env);
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t comma = text.find(',', pos);
        if (comma == std::string::npos)
            comma = text.size();
        const std::string pair = text.substr(pos, comma - pos);
        const std::size_t colon = pair.find(':');
        if (colon != std::string::npos) {
            char* endModule = nullptr;
            char* endLevel = nullptr;
            const long module = std::strtol(pair.c_str(), &endModule, 10);
            const long level = std::strtol(pair.c_str() + colon + 1, &endLevel, 10);
            if (endModule == pair.c_str() + colon && *endLevel == '\0' && module >= 0 &&
                module <= 0xFFFF && endLevel != pair.c_str() + colon + 1)
                l.byModule[static_cast<unsigned short>(module)] = static_cast<int>(level);
        }
        pos = comma + 1;
    }
}

constinit fwk_Lifecycle lifecycle("typ");

} // namespace

int typ_DebugFlags::GetDebugFlags(unsigned short module) {
    Levels& l = levels();
    std::lock_guard<std::mutex> lock(l.mutex);
    if (!l.environmentRead)
        readEnvironment(l);
    auto it = l.byModule.find(module);
    return it == l.byModule.end() ? 0 : it->second;
}

void typ_DebugFlags::SetDebugFlags(unsigned short module, int level) {
    Levels& l = levels();
    std::lock_guard<std::mutex> lock(l.mutex);
    if (!l.environmentRead)
        readEnvironment(l);
    l.byModule[module] = level;
}

void typ_DebugFlags::Reset() {
    Levels& l = levels();
    std::lock_guard<std::mutex> lock(l.mutex);
    l.byModule.clear();
    readEnvironment(l);
}

void typ_initialize(int&) {
    if (lifecycle.Enter())
        typ_DebugFlags::Reset();
}
void typ_finalize(int&) { lifecycle.Leave(); }
