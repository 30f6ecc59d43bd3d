#include "ui/MainFrame.h"

namespace korvex {

// No slot can be connected until the frame holds the database connections.
bool CMainFrame::databaseSlotConnected(int) const {
    return false;
}

}  // namespace korvex
