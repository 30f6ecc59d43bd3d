// The frame's side of the station's web page: its menu item, its status
// pane with the address, and the box when it cannot be served; the server
// is the station's.
#include <QLabel>
#include <QStatusBar>

#include "station/StationWeb.h"
#include "ui/MainFrame.h"
#include "ui/StatusPanes.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

void CMainFrame::createWebPage() {
    m_webPane = new QLabel(statusBar());
    m_webPane->setObjectName(QStringLiteral("webPane"));
    m_webPane->setAlignment(Qt::AlignCenter);
    m_webPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_webPane->setToolTip(QStringLiteral("The station's web page"));
    m_webPane->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusBar()->insertPermanentWidget(1, m_webPane);
    m_webPane->hide();
    connect(&web(), &CStationWeb::runningChanged, this, &CMainFrame::showWebAddress);
}

bool CMainFrame::startWebPage(int port) {
    QString text;
    const bool serving = web().start(port, &text);
    if (serving) {
        m_panes->setMessage(text);
    } else {
        tell(this, text, QStringLiteral("Web Page"), PromptIcon::Warning);
    }
    showWebAddress();
    updateCommandStates();
    return serving;
}

void CMainFrame::toggleWebPage() {
    if (web().running()) {
        web().stop();
        m_settings.httpEnabled = false;
        showWebAddress();
        updateCommandStates();
    } else {
        m_settings.httpEnabled = startWebPage();
    }
}

void CMainFrame::showWebAddress() {
    m_webPane->setText(QStringLiteral("Web: ") + web().address());
    m_webPane->setVisible(web().running());
}

}  // namespace korvex
