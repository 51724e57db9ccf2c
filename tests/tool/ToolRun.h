// Runs the rgn program as a user would and keeps what it said: exit code, standard output and
// standard error (through files, so that long output cannot block it).
#pragma once

#include "Files.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

struct ToolRun {
    int code = -1;
    std::string out;
    std::string err;
};

// `scratch` is a folder for the two output files; `program` is rgn unless another is given.
inline ToolRun runTool(const std::vector<std::string>& args, const std::string& scratch,
                       const char* program = RGN_TOOL_PATH) {
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string outFile = scratch + "/.rgn.out", errFile = scratch + "/.rgn.err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    ToolRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadFile(outFile);
    run.err = ReadFile(errFile);
    ::unlink(outFile.c_str());
    ::unlink(errFile.c_str());
    return run;
}
