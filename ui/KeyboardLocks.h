#pragma once

#include <optional>

namespace korvex {

struct KeyboardLocks {
    bool capsLock = false;
    bool numLock = false;

    bool operator==(const KeyboardLocks&) const = default;
};

// The keyboard's Caps Lock and Num Lock indicators as the window system
// reports them: on X11 the XKB indicator state of the core keyboard.
// Nothing on a platform that does not tell them (Wayland, offscreen).
std::optional<KeyboardLocks> keyboardLocks();

}  // namespace korvex
