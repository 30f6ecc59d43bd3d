// The activity report's window in the frame: opened from the Log menu, and
// its chosen rows tuned through the panel.
#include "ui/ActivityReportWindow.h"
#include "ui/Cp1252.h"
#include "ui/MainFrame.h"

namespace korvex {

void CMainFrame::showActivityReport() {
    if (m_activityReport == nullptr) {
        m_activityReport = new CActivityReportWindow(m_doc, this);
        connect(m_activityReport, &CActivityReportWindow::tuneRequested, this,
                &CMainFrame::tuneFromReport);
    }
    m_activityReport->show();
    m_activityReport->raise();
    m_activityReport->activateWindow();
}

void CMainFrame::tuneFromReport(const QString& frequencyMhz) {
    if (!panelUnlocked() || !m_panelHooks.tune) {
        beep();
        return;
    }
    m_panelHooks.tune(toCp1252(frequencyMhz));
}

}  // namespace korvex
