#include <QApplication>

#include "link/PollCycle.h"
#include "ui/ListKind.h"
#include "ui/MainFrame.h"
#include "ui/TuningPanel.h"
#include "ui/TuningPanelKeys.h"
#include "ui/dialogs/GroupSettingsDialog.h"

namespace korvex {

// Builds the tuning panel on the frame's model, queue and settings, hands its
// keys to the frame's shortcuts and refreshes it after every reply with data.
QWidget* CMainFrame::createTuningPanel() {
    CTuningPanel::Context context{m_rx, m_poll, m_cycle, *this, m_settings, m_doc, {}, {}};
    context.listView = [this] { return dynamic_cast<ListViewControl*>(listView()); };
    context.queueCommands = [this](const std::string& commands) { appendCommands(commands); };
    auto* panel = new CTuningPanel(context, this);
    m_panelHooks = panel->hooks();
    // The group dialogs edit the group the selectors show; their text goes to
    // the queue through the panel.
    const auto groupDialog = [this](CGroupSettingsDialog::Kind kind) {
        return [this, kind](int group) {
            const bool scan = kind == CGroupSettingsDialog::Kind::Scan;
            const int count = scan ? static_cast<int>(m_rx.scanGroups.size())
                                   : static_cast<int>(m_rx.searchGroups.size());
            if (group < 0 || group >= count) {
                return std::string();
            }
            const GroupRecord& record = scan ? m_rx.scanGroup(group) : m_rx.searchGroup(group);
            return CGroupSettingsDialog::run(kind, group, record, this).value_or(std::string());
        };
    };
    panel->setGroupDialogs(groupDialog(CGroupSettingsDialog::Kind::Scan),
                           groupDialog(CGroupSettingsDialog::Kind::Search));
    connect(this, &CMainFrame::modelRefreshed, panel, &CTuningPanel::updateFromModel);
    qApp->installEventFilter(new CPanelKeypadKeys(
        this,
        [panel](char which) {
            if (panel->isEnabled()) {
                panel->selectVfo(which);
            }
        },
        panel));
    return panel;
}

}  // namespace korvex
