// Debug levels per module number.
//
// Levels are set from code or from the environment variable RGN_DEBUG, a comma-separated list
// of `module:level` pairs (`RGN_DEBUG=596:3`). The environment is read when the type system
// starts and whenever a level is first asked for; a level set from code wins until reset.
// Every call may come from any thread (each takes a short lock).
#pragma once

class typ_DebugFlags {
public:
    // 0 for a module that has no level.
    static int GetDebugFlags(unsigned short module);
    static void SetDebugFlags(unsigned short module, int level);
    // Forgets levels set from code and reads RGN_DEBUG again.
    static void Reset();
};

void typ_initialize(int& count);
void typ_finalize(int& count);
