#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "link/Commands.h"

namespace korvex {

// What the tuning panel offers the frame's keyboard shortcuts. The panel
// fills it when it is created. An empty function leaves the key to the
// frame's fallback (the dial and VFO keys then queue their command directly);
// an empty widget makes its focus key do nothing.
struct PanelHooks {
    std::function<void()> enter;             // "Enter"
    std::function<void(cmd::DialKey)> dial;  // ">", ">>", "<", "<<"
    std::function<void(char)> vfo;           // 'A' "VFO-A", 'B' "VFO-B", 'S' "VFO"
    // A frequency text in MHz tuned as if typed and entered.
    std::function<void(const std::string&)> tune;
    // Enabling of the panel's controls, run with the frame's command refresh.
    std::function<void()> updateEnabling;
    QPointer<QWidget> stepSelector;  // F2
    QPointer<QWidget> modeSelector;  // F3
    QPointer<QWidget> autoBox;       // F5, Ctrl+Tab: the "A" check box
    QPointer<QWidget> listSelector;  // F6
};

// What the list view offers the frame's keyboard shortcuts; an empty
// function makes its key do nothing.
struct ListViewHooks {
    std::function<void()> recallChannel;   // F10 "Recall Memory Channel"
    std::function<void()> storeVfoHere;    // F11 "Store VFO Here ..."
    std::function<void()> deleteChannel;   // Ctrl+Del "&Delete Memory Channel ..."
    std::function<void()> deleteLogEntry;  // Alt+Del "Delete Log Entry ..."
    std::function<void()> playAudio;       // Alt+Enter "&Play This Audio File"
    std::function<void()> defaultAction;   // Ctrl+Enter, on the selected row
    std::function<void()> print;           // Ctrl+P
    // Alt+C: opens the view's context menu at a position in screen coordinates.
    std::function<void(const QPoint&)> contextMenu;
};

}  // namespace korvex
