#pragma once

#include <span>
#include <string_view>

namespace korvex {

// Every command of the menu bar and the tool bar.
enum class CommandId {
    FileNew,
    FileOpen,
    ConnectDb1,
    ConnectDb2,
    ConnectDb3,
    FileExit,
    EditCopy,
    EditCut,
    EditPaste,
    EditFind,
    EditFindNext,
    EditJump,
    ViewList,
    ViewBandscope,
    ViewBandscopePeak,
    ViewBandscopeStatistic,
    ViewToolbar,
    ViewStatusBar,
    SettingsMisc,
    SettingsLog,
    SettingsSerial,
    SettingsDatabase,
    SettingsRigctl,
    SettingsWebPage,
    SaveSettingsNow,
    SaveSettingsOnExit,
    PowerOff,
    LogStart,
    LogStop,
    RecordNow,
    StopRecording,
    LogActivityReport,
    HelpContents,
    HelpShortcuts,
    HelpLicense,
    HelpAbout,
    Count
};

inline constexpr int kCommandCount = static_cast<int>(CommandId::Count);

// One menu item: where it sits, what it shows, and what the tool bar shows
// for it. `shortcut` is in QKeySequence's portable text; `icon` names a
// tool-bar image, empty for commands without a button.
struct CommandEntry {
    CommandId id;
    std::string_view menu;
    std::string_view caption;
    std::string_view shortcut;
    std::string_view prompt;
    std::string_view toolTip;
    std::string_view icon;
    bool checkable = false;
    bool separatorBefore = false;
};

// The menu bar's menus, left to right.
std::span<const std::string_view> menuTitles();
// Every command, in menu order.
std::span<const CommandEntry> commandTable();
const CommandEntry& commandEntry(CommandId id);

// The tool bar, left to right: buttons and the gaps between their groups.
struct ToolBarSlot {
    bool separator = false;
    CommandId id = CommandId::Count;
};
std::span<const ToolBarSlot> toolBarLayout();

// The keyboard shortcuts that have no menu item.
enum class KeyAction {
    PanelEnter,
    DialUp,
    DialRight,
    DialDown,
    DialLeft,
    VfoA,
    VfoB,
    Vfo,
    FocusStep,
    FocusMode,
    FocusAuto,
    FocusListSelector,
    FocusView,
    ToggleFocus,
    ContextMenu,
    RecallChannel,
    StoreVfo,
    DeleteChannel,
    DeleteLogEntry,
    PlayAudio,
    DefaultAction,
    Undo,
    SaveDocument,
    PrintList,
};

struct AcceleratorEntry {
    std::string_view keys;  // QKeySequence portable text
    KeyAction action;
};
std::span<const AcceleratorEntry> acceleratorTable();

}  // namespace korvex
