// The frame's side of the frequency databases: the slot commands with their
// check marks and tool-bar buttons, Jump, and the list's database entries.
#include <cerrno>
#include <cstring>

#include "database/DbSlotConfig.h"
#include "settings/SettingsFolder.h"
#include "ui/FrameDatabases.h"
#include "ui/MainFrame.h"
#include "ui/TuningPanel.h"
#include "ui/ZelView.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

bool CMainFrame::databaseSlotConnected(int slot) const {
    return m_databases->databaseSlots().connected(slot);
}

void CMainFrame::createDatabases(CZelView* view) {
    CFrameDatabases::Context context;
    context.window = this;
    context.rx = &m_rx;
    context.queue = &m_poll.commandQueue;
    context.doc = &m_doc;
    context.mark2 = [this] { return m_settings.mark2; };
    context.closing = [this] { return m_closePending || m_shutDown; };
    m_databases = std::make_unique<CFrameDatabases>(context);
    m_databases->bindView(view);
}

void CMainFrame::useDatabaseFolder(const std::filesystem::path& folder) {
    const std::filesystem::path path = folder / kDatabaseFileName;
    if (!db::ensureDbConf(path)) {
        const int error = errno;
        tell(this,
             QStringLiteral("The database settings file\n%1\ncannot be created: %2\n"
                            "Database settings changed now may not be kept.")
                 .arg(QString::fromStdString(path.string()),
                      QString::fromLocal8Bit(std::strerror(error))),
             QStringLiteral("Warning"), PromptIcon::Warning);
    }
    m_databases->databaseSlots().setIniPath(path);
}

void CMainFrame::registerDatabaseCommands() {
    using C = CommandId;
    const std::array<C, db::kSlotCount> commands = {C::ConnectDb1, C::ConnectDb2, C::ConnectDb3};
    for (int slot = 1; slot <= db::kSlotCount; ++slot) {
        setCommandHandler(
            commands[static_cast<std::size_t>(slot - 1)],
            {[this, slot] { m_databases->connectSlot(slot); },
             {},
             [this, slot] { return m_databases->databaseSlots().activeSlot() == slot; }});
    }
    // During a sweep the list is not what the window shows.
    setCommandHandler(
        C::EditJump,
        {[this] { m_databases->jump(); }, [this] { return !m_rx.bandscopeRunning; }, {}});
    if (auto* panel = qobject_cast<CTuningPanel*>(tuningPanel())) {
        panel->setDatabaseRequery([this] { m_databases->requery(); });
    }
}

}  // namespace korvex
