#pragma once

// Runs work in a forked child whose address space may grow by only a given
// number of bytes, so that "memory out of proportion to the input" fails a
// test quickly instead of taking gigabytes from the machine.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <functional>
#include <new>

namespace korvex::test {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kCanCapMemory = false;  // the sanitizers reserve terabytes
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool kCanCapMemory = false;
#else
inline constexpr bool kCanCapMemory = true;
#endif
#else
inline constexpr bool kCanCapMemory = true;
#endif

enum class CappedRun { Finished, OutOfMemory, Failed, Crashed };

// The child's result: Finished when `work` returned true, Failed when it
// returned false, OutOfMemory when it threw std::bad_alloc, Crashed when the
// child ended any other way (an abort, a signal).
inline CappedRun runWithMemoryCap(std::size_t extraBytes, const std::function<bool()>& work) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        std::size_t pages = 0;
        if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%zu", &pages) != 1) {
                pages = 0;
            }
            std::fclose(statm);
        }
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max =
            pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)) + extraBytes;
        ::setrlimit(RLIMIT_AS, &limit);
        int code = 0;
        try {
            code = work() ? 0 : 1;
        } catch (const std::bad_alloc&) {
            code = 2;
        }
        ::_exit(code);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return CappedRun::Crashed;
    }
    switch (WEXITSTATUS(status)) {
        case 0:
            return CappedRun::Finished;
        case 1:
            return CappedRun::Failed;
        case 2:
            return CappedRun::OutOfMemory;
        default:
            return CappedRun::Crashed;
    }
}

}  // namespace korvex::test
