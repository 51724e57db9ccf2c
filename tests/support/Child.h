// A child process for the tests that kill writers or need a second session. It runs a function
// and ends with _exit (no destructors, no exit handlers: they belong to the parent), reporting
// numbers to the parent through a pipe as it goes.
//
//   Child writer([&](const Child::Report& report) { for (int g = 1;; ++g) report(write(g)); });
//   std::int64_t g;
//   writer.Receive(g);
//   const int status = writer.Kill();
#pragma once

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

class Child {
public:
    using Report = std::function<void(std::int64_t)>;

    // Forks; the child runs `body` and exits with 0, or with 2 when it threw.
    explicit Child(const std::function<void(const Report&)>& body) {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            int status = 0;
            try {
                body([fd = fds[1]](std::int64_t v) {
                    if (::write(fd, &v, sizeof v) != static_cast<ssize_t>(sizeof v))
                        ::_exit(3);
                });
            } catch (const std::exception& e) {
                std::fprintf(stderr, "child: %s\n", e.what());
                status = 2;
            }
            ::_exit(status);
        }
        ::close(fds[1]);
        fd_ = fds[0];
    }
    ~Child() {
        if (pid_ > 0)
            Kill();
        if (fd_ >= 0)
            ::close(fd_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The next number the child reported, waiting at most 30 s; false once it is gone.
    bool Receive(std::int64_t& value) {
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 30000) > 0 && ::read(fd_, &value, sizeof value) == sizeof value;
    }

    // Waits until the child ends; its wait status.
    int Wait() {
        int status = -1;
        if (pid_ > 0 && ::waitpid(pid_, &status, 0) != pid_)
            status = -1;
        pid_ = -1;
        return status;
    }

    int Kill() {
        if (pid_ > 0)
            ::kill(pid_, SIGKILL);
        return Wait();
    }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
};

inline bool KilledBySignal(int status) {
    return status >= 0 && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

inline bool ExitedCleanly(int status) {
    return status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
