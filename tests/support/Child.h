// A child process for the tests that kill writers or need a second session. It runs a function
// and ends with _exit (no destructors, no exit handlers: they belong to the parent), reporting
// numbers to the parent through a pipe as it goes.
//
//   Child writer([&](const Child::Report& report) { for (int g = 1;; ++g) report(write(g)); });
//   std::int64_t g;
//   writer.Receive(g);
//   const int status = writer.Kill();
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

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

    bool Started() const { return pid_ > 0; }

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

// Leaves a write cut short in the model database at `path`: a child changes every probe and
// adds forty rows of a page each, more than its page cache holds, so that changed pages reach
// the file after the journal; it is killed before the commit. True when it was killed so.
inline bool LeaveWriteCutShort(const std::string& path) {
    Child writer([&](const Child::Report&) {
        sqlite3* handle = nullptr;
        if (sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
            sqlite3_exec(handle,
                         "PRAGMA cache_size = 2; BEGIN IMMEDIATE;"
                         "UPDATE \"Probe\" SET number = -5, label = 'half';"
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                         "WHERE i < 40) INSERT INTO cls_intlist "
                         "SELECT 1000000 + i, 0, 15000, zeroblob(60000) FROM n;",
                         nullptr, nullptr, nullptr) == SQLITE_OK)
            ::kill(::getpid(), SIGKILL);
        ::_exit(2);
    });
    return KilledBySignal(writer.Wait());
}

// What a writer killed by KillWritersAtRandom reports first, once it has opened its file.
constexpr std::int64_t kWriterReady = -1;

// Kills writers of the file at `path` at random moments, `rounds` times (fixed seed). Each round
// forks `write`, which reports kWriterReady, then a number for each write it committed. Most
// kills come after 1 to 3 more reports, at a random point of the next write (its length taken
// from the last one seen, so that the kills spread over whole writes on a slow machine as on a
// fast one); every fifth may land while the writer opens the file and rolls back what the last
// kill left. `check` then gets the numbers the killed writer reported. Stops at the first
// failure; answers how many kills left a journal, inside a transaction.
inline int KillWritersAtRandom(const std::string& path, int rounds, unsigned seed,
                               const std::function<void(const Child::Report&)>& write,
                               const std::function<void(const std::vector<std::int64_t>&)>& check) {
    using Clock = std::chrono::steady_clock;
    std::mt19937 random(seed);
    Clock::duration writeTime = std::chrono::milliseconds(50);
    int inTransaction = 0;
    for (int round = 0; round < rounds && !::testing::Test::HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Child writer(write);
        std::vector<std::int64_t> reports;
        std::int64_t value = 0;
        if (round % 5 != 0) {
            EXPECT_TRUE(writer.Receive(value) && value == kWriterReady)
                << "the writer did not start";
            auto last = Clock::now();
            for (int wait = 1 + random() % 3; wait > 0 && writer.Receive(value); --wait) {
                reports.push_back(value);
                writeTime = Clock::now() - last;
                last = Clock::now();
            }
        }
        const auto delay = round % 5 != 0 ? writeTime : std::chrono::milliseconds(20);
        std::this_thread::sleep_for(delay * (random() % 1000) / 1000);
        const int status = writer.Kill();
        EXPECT_TRUE(KilledBySignal(status))
            << "the writer ended by itself (status " << status << ")";
        while (writer.Receive(value))
            if (value != kWriterReady)
                reports.push_back(value);
        inTransaction += std::filesystem::exists(path + "-journal") ? 1 : 0;
        check(reports);
    }
    return inTransaction;
}
