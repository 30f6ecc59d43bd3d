#include "ui/MainFrame.h"
#include "ui/TuningPanel.h"
#include "ui/ZelView.h"

namespace korvex {

// Builds the list view on the frame's model, queue and settings and hands
// its commands to the frame's shortcuts. The panel is looked up when a
// command needs it, as it is created after the view.
QWidget* CMainFrame::createListView() {
    ListViewContext context;
    context.rx = &m_rx;
    context.queue = &m_poll.commandQueue;
    context.host = this;
    context.mark2 = [this] { return m_settings.mark2; };
    context.bankNamesChanged = [this] {
        if (auto* panel = qobject_cast<CTuningPanel*>(tuningPanel())) {
            panel->markBankNamesChanged();
        }
    };
    context.document = [this]() -> CZelDoc* {
        auto* panel = qobject_cast<CTuningPanel*>(tuningPanel());
        return panel != nullptr ? &panel->document() : nullptr;
    };
    context.scopeLevels = [this] {
        return ScopeLevels{m_settings.smeterMax, m_settings.scopeThreshold};
    };
    auto* view = new CZelView(context);

    m_listHooks.recallChannel = [view] { view->recallSelected(); };
    m_listHooks.storeVfoHere = [view] { view->storeVfoHere(); };
    m_listHooks.deleteChannel = [view] { view->deleteSelected(); };
    m_listHooks.defaultAction = [view] { view->defaultAction(); };
    m_listHooks.contextMenu = [view](const QPoint& at) { view->openContextMenu(at); };
    return view;
}

}  // namespace korvex
