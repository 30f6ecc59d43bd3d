#include <QApplication>

#include "link/PollCycle.h"
#include "ui/ListKind.h"
#include "ui/MainFrame.h"
#include "ui/TuningPanel.h"
#include "ui/TuningPanelKeys.h"

namespace korvex {

// Builds the tuning panel on the frame's model, queue and settings, hands its
// keys to the frame's shortcuts and refreshes it after every reply with data.
QWidget* CMainFrame::createTuningPanel() {
    CTuningPanel::Context context{m_rx, m_poll, m_cycle, *this, m_settings, m_doc, {}};
    context.listView = [this] { return dynamic_cast<ListViewControl*>(listView()); };
    auto* panel = new CTuningPanel(context, this);
    m_panelHooks = panel->hooks();
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
