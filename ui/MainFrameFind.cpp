// Find and Find Next: they search whichever list the view shows.
#include "ui/ListFind.h"
#include "ui/ListFindView.h"
#include "ui/MainFrame.h"
#include "ui/ZelView.h"

namespace korvex {

void CMainFrame::registerFindCommands() {
    auto* view = qobject_cast<CZelView*>(listView());
    m_findView = std::make_unique<CListFindView>(*view, *m_panes);
    m_find = std::make_unique<CListFind>(*m_findView);
    // During a sweep the list is not what the window shows.
    const auto notSweeping = [this] { return !m_rx.bandscopeRunning; };
    setCommandHandler(CommandId::EditFind, {[this] { m_find->find(); }, notSweeping, {}});
    setCommandHandler(CommandId::EditFindNext, {[this] { m_find->findNext(); }, notSweeping, {}});
}

}  // namespace korvex
