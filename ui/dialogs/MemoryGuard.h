#pragma once

// Out-of-memory failures in what the operator starts. Every menu command,
// shortcut, list entry and dialog button runs through runGuarded(), so a
// failed allocation inside it ends that action with a message box and the
// program goes on. The catch sits in the slot itself: an exception must not
// unwind through Qt's own event delivery, which is not built for it.

#include <QString>
#include <concepts>
#include <new>
#include <stdexcept>
#include <utility>

class QWidget;

namespace korvex {

// The texts of the boxes.
QString noMemoryText();
QString noMemoryForLogText();
QString noMemoryForBandscopeText();

// Shows `text` in an error box over `parent`; when even that cannot be
// built, writes it to standard error. Never throws.
void reportNoMemory(QWidget* parent, const QString& text) noexcept;

// Runs `action(args...)`; false when memory ran out in it (a request beyond
// what a container can hold counts as that too), after the box was shown.
template <class F, class... Args>
bool runGuarded(QWidget* parent, const QString& text, F&& action, Args&&... args) noexcept {
    try {
        std::forward<F>(action)(std::forward<Args>(args)...);
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    reportNoMemory(parent, text);
    return false;
}

// A slot for connect() that runs `action` through runGuarded() with `text`.
template <class F>
auto guarded(QWidget* parent, QString text, F action) {
    return [ parent, action = std::move(action), text = std::move(text) ](
               auto&&... args) mutable -> void requires std::invocable<F&, decltype(args)...> {
        runGuarded(parent, text, action, std::forward<decltype(args)>(args)...);
    };
}

// The same with the plain text.
template <class F>
auto guarded(QWidget* parent, F action) {
    return guarded(parent, noMemoryText(), std::move(action));
}

}  // namespace korvex
