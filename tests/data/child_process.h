#pragma once
// Pieces of tests that run in a child process: one that cannot override file permissions, and one that is
// killed in the middle of its work.

#include <csignal>
#include <cstdlib>
#include <functional>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace chimewell::testing {

inline constexpr uid_t NobodyId = 65534;

// Runs body in a child and gives its exit code (what body returns), or -1 when it could not run. The tests may
// run as root, for whom a read-only folder is no obstacle, so the child then becomes the user "nobody".
inline int RunUnprivileged(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        if (geteuid() == 0 && (setgid(NobodyId) != 0 || setuid(NobodyId) != 0)) {
            _exit(100);
        }
        _exit(body());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// Each round forks a child that calls save(0), save(1), save(2)... without end, kills it with SIGKILL at a
// random moment after its first save has finished, and asks intact() about the files. Returns the first round
// in which intact() said no, or -1.
inline int FirstRoundKilledBadly(const std::function<void(int)>& save, const std::function<bool()>& intact, int rounds,
                                 long maxDelayMicroseconds) {
    std::mt19937 random(20250315);
    std::uniform_int_distribution<long> delay(0, maxDelayMicroseconds);
    for (int round = 0; round < rounds; ++round) {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) {
            return round;
        }
        const pid_t child = fork();
        if (child < 0) {
            return round;
        }
        if (child == 0) {
            close(pipeEnds[0]);
            for (int k = 0;; ++k) {
                save(k);
                [[maybe_unused]] const ssize_t ignored = write(pipeEnds[1], "s", 1);
            }
        }
        close(pipeEnds[1]);
        char saved = 0;
        const bool started = read(pipeEnds[0], &saved, 1) == 1;
        usleep(static_cast<useconds_t>(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(pipeEnds[0]);
        if (!started || !intact()) {
            return round;
        }
    }
    return -1;
}

} // namespace chimewell::testing
