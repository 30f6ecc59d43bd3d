#include "ui/NestedLoops.h"

#include <QApplication>
#include <QDialog>
#include <QThread>

namespace korvex::nested {

namespace {

int g_mainLevel = 0;
int g_processing = 0;

// Counts a processEvents call for as long as it runs, also when an event
// handler inside it throws.
class ProcessingScope {
public:
    ProcessingScope() { ++g_processing; }
    ~ProcessingScope() { --g_processing; }
    ProcessingScope(const ProcessingScope&) = delete;
    ProcessingScope& operator=(const ProcessingScope&) = delete;
};

}  // namespace

void processEvents(QEventLoop::ProcessEventsFlags flags) {
    const ProcessingScope scope;
    QApplication::processEvents(flags);
}

void setMainLoopLevel(int level) {
    g_mainLevel = level;
}

bool inside() {
    return g_processing > 0 || QThread::currentThread()->loopLevel() > g_mainLevel;
}

void endModalLoops() {
    // A menu opened with exec() runs its own loop; closing it ends that.
    while (QWidget* popup = QApplication::activePopupWidget()) {
        if (!popup->close()) {
            break;
        }
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(window);
        if (dialog != nullptr && dialog->isVisible() && dialog->isModal()) {
            dialog->reject();
        }
    }
    // A dialog shown by the platform (a native file dialog) is not visible
    // as a widget, but it is the active modal one.
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        dialog->reject();
    }
}

}  // namespace korvex::nested
