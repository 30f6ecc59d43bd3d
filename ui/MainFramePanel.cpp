#include "ui/MainFrame.h"

namespace korvex {

// The tuning panel's band stays empty until the panel is built.
QWidget* CMainFrame::createTuningPanel() {
    return nullptr;
}

}  // namespace korvex
