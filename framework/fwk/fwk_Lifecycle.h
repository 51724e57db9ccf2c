// Nesting counts of the framework libraries' initialise/finalise pairs.
//
// Each library's `<prefix>_initialize(int&)` does its set-up on the first of nested calls and
// its `<prefix>_finalize(int&)` tears down on the last. Tests may attach a recorder to see the
// order in which the libraries were started and stopped. Each library keeps one at namespace
// scope, `constinit`: loading a library runs no code.
#pragma once

#include <string>
#include <vector>

class fwk_Lifecycle {
public:
    explicit constexpr fwk_Lifecycle(const char* prefix) : prefix_(prefix) {}

    // Returns true for the outermost call: the caller then does its real set-up.
    bool Enter();
    // Returns true for the call that closes the outermost one: the caller then tears down.
    bool Leave();
    int Nesting() const { return nesting_; }
    const char* Prefix() const { return prefix_; }

    // Records "<prefix>+" at each outermost initialise and "<prefix>-" at each last finalise.
    static void AttachRecorder(std::vector<std::string>* log);

private:
    const char* prefix_;
    int nesting_ = 0;
};
