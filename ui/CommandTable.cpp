#include "ui/CommandTable.h"

#include <array>

namespace korvex {

namespace {

using C = CommandId;

constexpr std::array<std::string_view, 6> kMenus = {"&File",     "&Edit", "V&iew",
                                                    "&Settings", "&Log",  "&Help"};

// clang-format off
constexpr std::array<CommandEntry, kCommandCount> kCommands = {{
    {C::FileNew, "&File", "&New", "Ctrl+N", "create a new logfile", "New log file", "newlog"},
    {C::FileOpen, "&File", "&Open...", "Ctrl+O", "open an existing logfile", "Open log file", "openlog"},
    {C::ConnectDb1, "&File", "Connect to DB&1", "", "connect to database 1", "Connect to database 1", "db1", true, true},
    {C::ConnectDb2, "&File", "Connect to DB&2", "", "connect to database 2", "Connect to database 2", "db2", true},
    {C::ConnectDb3, "&File", "Connect to DB&3", "", "connect to database 3", "Connect to database 3", "db3", true},
    {C::FileExit, "&File", "E&xit", "", "exit application", "", "", false, true},
    {C::EditCopy, "&Edit", "Copy ", "Ctrl+C", "copy selected channel to clipboard", "", ""},
    {C::EditCut, "&Edit", "Cut ", "Ctrl+X", "copy selected channel to clipboard and delete it (cut)", "", ""},
    {C::EditPaste, "&Edit", "Paste ", "Ctrl+V", "paste memory channel into selection", "", ""},
    {C::EditFind, "&Edit", "Find", "Ctrl+F", "find text in the list, start from beginning", "Find", "find", false, true},
    {C::EditFindNext, "&Edit", "Find Next", "Ctrl+G", "find the next occurence of the search string", "Find next", "findnext"},
    {C::EditJump, "&Edit", "Jump", "Ctrl+J", "jump to the best matching frequency in active database", "Jump to frequency", "jump"},
    {C::ViewList, "V&iew", "&List View", "", "list mode, frequency and channel view (normal operation)", "List view", "listview"},
    {C::ViewBandscope, "V&iew", "&Bandscope View", "", "bandscope mode (buttons locked)", "Bandscope view", "scope", false, true},
    {C::ViewBandscopePeak, "V&iew", "Bandscope &Peak View", "", "bandscope peak hold mode (buttons locked)", "Bandscope peak view", "scopepeak"},
    {C::ViewBandscopeStatistic, "V&iew", "Bandscope St&atistic View", "", "bandscope statistic mode (buttons locked)", "Bandscope statistic view", "scopestat"},
    {C::ViewToolbar, "V&iew", "AR &Toolbar", "", "toggle toolbar visibility", "", "", true, true},
    {C::ViewStatusBar, "V&iew", "&Status Bar", "", "toggle status bar visibility", "", "", true},
    {C::SettingsMisc, "&Settings", "&Settings ...", "", "general settings", "", ""},
    {C::SettingsLog, "&Settings", "&Log Settings ...", "", "log settings", "", ""},
    {C::SettingsSerial, "&Settings", "S&erial Port Settings ...", "", "serial port settings", "", ""},
    {C::SettingsDatabase, "&Settings", "D&atabase Settings ...", "", "configure database connection", "", ""},
    {C::SettingsRigctl, "&Settings", "Network &Control (rigctld)", "", "let other programs control the receiver over the network (rigctld protocol)", "", "", true},
    {C::SettingsWebPage, "&Settings", "&Web Page", "", "serve the station's web page; its address is shown in the status bar", "", "", true},
    {C::SaveSettingsNow, "&Settings", "Save Settings &Now", "", "save settings now", "", "", false, true},
    {C::SaveSettingsOnExit, "&Settings", "Save Settings On E&xit", "", "toggle save settings on exit", "", "", true},
    {C::PowerOff, "&Settings", "&Power Off", "", "switch rx to standby mode", "Power off (standby)", "poweroff", false, true},
    {C::LogStart, "&Log", "St&art Log", "", "start log", "Start log", "startlog"},
    {C::LogStop, "&Log", "St&op Log", "", "stop log", "Stop log", "stoplog"},
    {C::RecordNow, "&Log", "&Record Now!", "", "record now!", "Record now", "record", false, true},
    {C::StopRecording, "&Log", "&Stop Recording", "", "stop recording", "Stop recording", "stoprecord"},
    {C::LogActivityReport, "&Log", "Activity Re&port ...", "", "what the log heard: busiest frequencies and hours", "", "", false, true},
    {C::HelpContents, "&Help", "&Help", "F1", "Help", "", ""},
    {C::HelpShortcuts, "&Help", "&Shortcuts", "", "display a list of shortcuts", "", ""},
    {C::HelpLicense, "&Help", "&License", "", "view license information", "", ""},
    {C::HelpAbout, "&Help", "&About AR8600...", "", "", "", "", false, true},
}};

constexpr ToolBarSlot kGap{true, C::Count};
constexpr std::array<ToolBarSlot, 24> kToolBar = {{
    {false, C::FileNew}, {false, C::FileOpen}, kGap,
    {false, C::RecordNow}, {false, C::StopRecording}, kGap,
    {false, C::LogStart}, {false, C::LogStop}, kGap,
    {false, C::ViewList}, kGap,
    {false, C::ViewBandscope}, {false, C::ViewBandscopePeak}, {false, C::ViewBandscopeStatistic}, kGap,
    {false, C::PowerOff}, kGap,
    {false, C::ConnectDb1}, {false, C::ConnectDb2}, {false, C::ConnectDb3}, {false, C::EditJump}, kGap,
    {false, C::EditFind}, {false, C::EditFindNext},
}};
// clang-format on

// commandEntry() indexes the table by id.
constexpr bool tableInIdOrder() {
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        if (static_cast<std::size_t>(kCommands[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(tableInIdOrder());

using K = KeyAction;
constexpr std::array<AcceleratorEntry, 28> kAccelerators = {{
    {"Return", K::PanelEnter},
    {"Enter", K::PanelEnter},
    {"Ctrl+Up", K::DialUp},
    {"Ctrl+Right", K::DialRight},
    {"Ctrl+Down", K::DialDown},
    {"Ctrl+Left", K::DialLeft},
    {"Num+/", K::VfoA},
    {"Num+*", K::VfoB},
    {"Num+-", K::Vfo},
    {"F2", K::FocusStep},
    {"F3", K::FocusMode},
    {"F5", K::FocusAuto},
    {"F6", K::FocusListSelector},
    {"F9", K::FocusView},
    {"Ctrl+Tab", K::ToggleFocus},
    {"Alt+C", K::ContextMenu},
    {"F10", K::RecallChannel},
    {"F11", K::StoreVfo},
    {"Ctrl+Del", K::DeleteChannel},
    {"Alt+Del", K::DeleteLogEntry},
    {"Alt+Return", K::PlayAudio},
    {"Alt+Enter", K::PlayAudio},
    {"Ctrl+Return", K::DefaultAction},
    {"Ctrl+Enter", K::DefaultAction},
    {"Ctrl+Z", K::Undo},
    {"Alt+Backspace", K::Undo},
    {"Ctrl+S", K::SaveDocument},
    {"Ctrl+P", K::PrintList},
}};

}  // namespace

std::span<const std::string_view> menuTitles() {
    return kMenus;
}

std::span<const CommandEntry> commandTable() {
    return kCommands;
}

const CommandEntry& commandEntry(CommandId id) {
    return kCommands[static_cast<std::size_t>(id)];
}

std::span<const ToolBarSlot> toolBarLayout() {
    return kToolBar;
}

std::span<const AcceleratorEntry> acceleratorTable() {
    return kAccelerators;
}

}  // namespace korvex
