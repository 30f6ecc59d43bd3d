// The frame's side of "Korv.ini": where it is, what the window takes from it
// at start, and what goes back on a save.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <cstdio>
#include <optional>

#include "settings/IniFile.h"
#include "settings/SettingsFolder.h"
#include "ui/MainFrame.h"
#include "ui/StatusPanes.h"
#include "ui/dialogs/MiscSettingsDialog.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

namespace {

// A stored placement is used only when it is as large as a save would keep
// and its top-left corner lies on a screen that exists now, so a file from a
// larger monitor set-up never puts the window out of reach.
bool placementFits(const WindowPlacement& p) {
    if (p.width <= 200 || p.height <= 64) {
        return false;
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().contains(QPoint(p.left + 20, p.top + 10))) {
            return true;
        }
    }
    return false;
}

}  // namespace

void CMainFrame::loadSettings() {
    const std::string problem = m_station->loadSettings();
    useDatabaseFolder(m_station->settingsPath().parent_path());
    // A settings file that is refused reads as empty and is kept as it is;
    // say so rather than start with defaults silently.
    if (!problem.empty()) {
        tell(this,
             QString::fromStdString(problem) +
                 QStringLiteral("\nThe program starts with its default settings."),
             QStringLiteral("Warning"), PromptIcon::Warning);
    }
    applySettings();
}

void CMainFrame::applySettings() {
    const WindowPlacement& p = m_settings.window;
    if (placementFits(p)) {
        move(p.left, p.top);
        resize(p.width, p.height);
    }
    m_toolBar->setVisible(m_settings.toolbarShown);
    m_poll.offOnExit = m_settings.offOnExit;
    m_poll.saveOnExit = m_settings.saveOnExit;
    m_station->applyPacing();
    updateCommandStates();
}

WindowPlacement CMainFrame::placement() const {
    WindowPlacement p;
    p.left = pos().x();
    p.top = pos().y();
    p.width = width();
    p.height = height();
    p.minimized = isMinimized();
    return p;
}

void CMainFrame::storeRuntimeSettings() {
    m_settings.toolbarShown = !m_toolBar->isHidden();
}

bool CMainFrame::saveSettings() {
    storeRuntimeSettings();
    return m_station->saveSettings(placement());
}

void CMainFrame::reportSaveFailure() {
    tell(this,
         QStringLiteral("The settings could not be saved to\n") +
             QString::fromStdString(settingsPath().string()),
         QStringLiteral("Error"), PromptIcon::Error);
}

void CMainFrame::toggleSaveOnExit() {
    if (!m_station->toggleSaveOnExit()) {
        reportSaveFailure();
    }
}

// The dialog writes the program settings itself, also when a refused
// receiver value is then cancelled; only an Ok hands over commands.
void CMainFrame::openMiscSettings() {
    CMiscSettingsDialog dialog(m_settings, m_rx, this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    m_poll.offOnExit = m_settings.offOnExit;
    if (accepted && !dialog.commandText().empty()) {
        appendCommands(dialog.commandText());
    }
    updateCommandStates();
}

}  // namespace korvex
