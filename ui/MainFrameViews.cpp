#include "link/MemoryCommands.h"
#include "link/MemoryWrite.h"
#include "log/LogActions.h"
#include "log/LogControl.h"
#include "ui/FrameDatabases.h"
#include "ui/LogViewRows.h"
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
    context.document = [this]() -> CZelDoc* { return &m_doc; };
    context.playing = [this] { return m_station->sound().isPlaying(); };
    context.logRunning = [this] { return m_station->logControl().logBusy(); };
    context.scopeLevels = [this] {
        return ScopeLevels{m_settings.smeterMax, m_settings.scopeThreshold};
    };
    context.memoryWriteStarted = [this](const std::string& commands, bool announceDone) {
        beginMemoryWrite(m_poll, commands, announceDone);
    };
    context.backupFolder = [this] { return settingsPath().parent_path() / "backups"; };
    context.databaseAcceptsEntries = [this] { return m_databases->acceptsEntries(); };
    auto* view = new CZelView(context);
    bindExchange(view);
    createDatabases(view);

    m_listHooks.recallChannel = [view] { view->recallSelected(); };
    m_listHooks.storeVfoHere = [view] { view->storeVfoHere(); };
    m_listHooks.deleteChannel = [view] { view->deleteSelected(); };
    m_listHooks.defaultAction = [view] { view->defaultAction(); };
    m_listHooks.contextMenu = [view](const QPoint& at) { view->openContextMenu(at); };
    bindLogView(view);
    return view;
}

// Copy, Cut and Paste of memory channels; once a memory file has been sent,
// the bank is read back so the list shows what the receiver holds.
void CMainFrame::bindExchange(CZelView* view) {
    using C = CommandId;
    setCommandHandler(C::EditCopy,
                      {[view] { view->copySelected(); }, [view] { return view->canCopy(); }, {}});
    setCommandHandler(C::EditCut,
                      {[view] { view->cutSelected(); }, [view] { return view->canCopy(); }, {}});
    setCommandHandler(
        C::EditPaste,
        {[view] { view->pasteIntoSelected(); }, [view] { return view->canPaste(); }, {}});
    connect(this, &CMainFrame::viewRefreshRequested, view, [this, view] {
        if (view->mode() == ListMode::MemoryBank && view->itemCount() > 0) {
            appendCommands(cmd::memoryBankReadout(m_rx, *this, view->itemText(0, 0).front()));
        }
    });
}

// The LOG VIEW shows the document's entries; its actions go to the log.
void CMainFrame::bindLogView(CZelView* view) {
    view->setRowSource(ListMode::LogView,
                       [this](const RowProgress& progress) { return logRows(m_doc, progress); });
    // Runs an action on the selected row; a change of the entries keeps the
    // selection for the refill that follows.
    const auto onRow = [this, view](auto action) {
        return [this, view, action] {
            const auto shown = selectedLogEntry(*view);
            if (!shown) {
                return;
            }
            view->rememberSelection();
            if (!(m_station->logActions().*action)(shown->entry, shown->row)) {
                view->forgetSelection();
            }
        };
    };
    view->setEntryHandler(ListEntry::PlayAudio, [this, view] {
        if (const auto shown = selectedLogEntry(*view)) {
            m_station->logActions().play(shown->entry, shown->row);
        }
    });
    view->setEntryHandler(ListEntry::StopPlaying,
                          [this] { m_station->logActions().stopPlaying(); });
    view->setEntryHandler(ListEntry::DeleteAudioFile, onRow(&CLogActions::deleteAudio));
    view->setEntryHandler(ListEntry::DeleteLogEntry, onRow(&CLogActions::deleteEntry));
    view->setEntryHandler(ListEntry::DeleteAllLogEntries,
                          [this] { m_station->logActions().deleteAll(); });
    m_listHooks.deleteLogEntry = [view] { view->runEntry(ListEntry::DeleteLogEntry); };
    m_listHooks.playAudio = [view] { view->runEntry(ListEntry::PlayAudio); };
}

}  // namespace korvex
