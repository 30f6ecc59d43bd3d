// The frame's part in the bandscope: the view, the four View commands, the
// sweep's samples and the tuning panel's lock while the receiver sweeps.
#include <QMessageBox>

#include "link/Commands.h"
#include "link/ResponseParser.h"
#include "ui/MainFrame.h"
#include "ui/StatusPanes.h"
#include "ui/ViewArea.h"
#include "ui/ZelScopeView.h"

namespace korvex {

QWidget* CMainFrame::createScopeView(QWidget* parent) {
    auto* view = new CZelScopeView(m_doc, m_rx, *m_sweep, parent);
    connect(view, &CZelScopeView::haltRequested, this, [this] { m_sweep->halt(); });
    connect(view, &CZelScopeView::resumeRequested, this, [this] { m_sweep->resume(); });
    connect(view, &CZelScopeView::tuneRequested, this, [this](const QString& mhz) {
        const std::string command =
            frequencyCommand(mhz.toStdString(), FrequencyUnit::MHz, m_settings.mark2);
        if (!command.empty()) {
            appendCommands(command);
        }
    });
    connect(view, &CZelScopeView::statusText, m_panes, &CStatusPanes::setMessage);
    connect(view, &CZelScopeView::saveFailed, this, [this](const QString& path) {
        QMessageBox::critical(this, QStringLiteral("Error"),
                              QStringLiteral("The sweep could not be saved to\n") + path);
    });
    return view;
}

void CMainFrame::registerScopeCommands() {
    using C = CommandId;
    setCommandHandler(C::ViewList,
                      {[this] { m_sweep->leave(); }, [this] { return m_sweep->canLeave(); }, {}});
    setCommandHandler(C::ViewBandscope, {[this] { m_sweep->show(ScopeMode::Normal); }, {}, {}});
    setCommandHandler(C::ViewBandscopePeak,
                      {[this] { m_sweep->show(ScopeMode::PeakHold); }, {}, {}});
    setCommandHandler(C::ViewBandscopeStatistic,
                      {[this] { m_sweep->show(ScopeMode::Statistic); }, {}, {}});
}

CZelScopeView* CMainFrame::scopeView() const {
    return qobject_cast<CZelScopeView*>(m_views->scopeView());
}

void CMainFrame::bandscopeSample(int level, std::int64_t frequencyHz) {
    m_doc.addSample(frequencyHz, level);
    if (CZelScopeView* view = scopeView()) {
        view->sampleArrived();
    }
}

void CMainFrame::scopeMessage(const std::string& text) {
    showMessage(text, CBandscopeSweep::kScopeCaption, MessageKind::Error);
}

bool CMainFrame::scopeShown() const {
    return m_views->activeKind() == CViewArea::Kind::Scope;
}

void CMainFrame::redrawScope() {
    if (CZelScopeView* view = scopeView()) {
        view->redraw();
    }
}

void CMainFrame::setPanelEnabled(bool enabled) {
    if (m_tuningPanel != nullptr) {
        m_tuningPanel->setEnabled(enabled);
    }
}

bool CMainFrame::panelUnlocked() const {
    return m_tuningPanel == nullptr || m_tuningPanel->isEnabled();
}

void CMainFrame::refreshScopeTexts() {
    // The texts ask for a panel refresh through DATA; a command still
    // outstanding keeps its WAIT, and the panel is refreshed at once instead.
    const LinkState before = m_rx.linkState;
    m_station->parser().bandscopeTexts();
    if (before == LinkState::Wait || before == LinkState::Retry) {
        m_rx.linkState = before;
        refreshFromModel();
    }
}

}  // namespace korvex
