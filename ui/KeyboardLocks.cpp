#include "ui/KeyboardLocks.h"

#include <QGuiApplication>

// KORVEX_HAVE_XKB is set by the build where Xlib and its XKB header exist.
#if defined(KORVEX_HAVE_XKB) && !QT_CONFIG(xcb)
#undef KORVEX_HAVE_XKB
#endif
#ifdef KORVEX_HAVE_XKB
#include <X11/XKBlib.h>
#endif

namespace korvex {

#ifdef KORVEX_HAVE_XKB
namespace {

// The indicators are looked up by their XKB names, so a keymap that puts
// them on other LEDs still reports the right lock.
bool namedIndicator(Display* display, Atom name) {
    Bool on = False;
    if (name == None || !XkbGetNamedIndicator(display, name, nullptr, &on, nullptr, nullptr)) {
        return false;
    }
    return on == True;
}

}  // namespace
#endif

std::optional<KeyboardLocks> keyboardLocks() {
#ifdef KORVEX_HAVE_XKB
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (display == nullptr) {
        return std::nullopt;
    }
    static const Atom caps = XInternAtom(display, "Caps Lock", False);
    static const Atom num = XInternAtom(display, "Num Lock", False);
    return KeyboardLocks{namedIndicator(display, caps), namedIndicator(display, num)};
#else
    return std::nullopt;
#endif
}

}  // namespace korvex
