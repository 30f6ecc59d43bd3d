// "D&atabase Settings ...": the database slots' set-up, beside "Korv.ini".
#include "database/DbSlotConfig.h"
#include "settings/SettingsFolder.h"
#include "ui/MainFrame.h"
#include "ui/dialogs/DatabaseSetupDialog.h"

namespace korvex {

void CMainFrame::openDatabaseSettings() {
    const std::filesystem::path iniPath = settingsPath().parent_path() / kDatabaseFileName;
    // The dialog only replaces values, so the file must hold every key.
    db::ensureDbConf(iniPath);
    CDatabaseSetupDialog dialog(
        iniPath, [this](int slot) { return databaseSlotConnected(slot); }, this);
    dialog.exec();
}

}  // namespace korvex
