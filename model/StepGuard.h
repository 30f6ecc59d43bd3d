#pragma once

// The last resort for work that a timer or a socket starts, where no
// operator's action carries the failure to a message: memory that runs out in
// one such step ends that step only, the program goes on, and the failure is
// told once. The catch sits at the entry point itself, so the exception never
// unwinds through the event loop that called it.

#include <cstdio>
#include <exception>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

namespace korvex {

class StepGuard {
public:
    // Told the first failure's text; without it, standard error is.
    using Tell = std::function<void(const std::string& text)>;

    void setTell(Tell tell) { m_tell = std::move(tell); }

    // Runs `step`; false when memory ran out in it (a request beyond what a
    // container can hold counts as that too).
    template <class F>
    bool run(const char* what, F&& step) noexcept {
        try {
            std::forward<F>(step)();
            return true;
        } catch (const std::bad_alloc&) {
        } catch (const std::length_error&) {
        }
        failed(what);
        return false;
    }

    // How many steps memory ran out in.
    unsigned long failures() const { return m_failures; }

    static std::string textFor(const char* what) {
        return std::string("Not enough memory: ") + what +
               " skipped a step. The program goes on; this is told once.";
    }

private:
    void failed(const char* what) noexcept {
        if (m_failures++ > 0) {
            return;
        }
        try {
            if (m_tell) {
                m_tell(textFor(what));
                return;
            }
        } catch (...) {
            // Even the message found no memory: standard error needs none.
        }
        std::fprintf(stderr, "korvex: not enough memory: %s skipped a step\n", what);
    }

    Tell m_tell;
    unsigned long m_failures = 0;
};

}  // namespace korvex
