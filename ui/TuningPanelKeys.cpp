#include "ui/TuningPanelKeys.h"

#include <QKeyEvent>
#include <QWidget>

namespace korvex {

CPanelKeypadKeys::CPanelKeypadKeys(QWidget* window, VfoAction vfo, QObject* parent)
    : QObject(parent), m_window(window), m_vfo(std::move(vfo)) {}

char CPanelKeypadKeys::vfoOfKey(int key, Qt::KeyboardModifiers modifiers) {
    if (!(modifiers & Qt::KeypadModifier) ||
        (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        return 0;
    }
    switch (key) {
        case Qt::Key_Slash:
            return 'A';
        case Qt::Key_Asterisk:
            return 'B';
        case Qt::Key_Minus:
            return 'S';
        default:
            return 0;
    }
}

bool CPanelKeypadKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !m_vfo || m_window == nullptr) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    // Only the window's own widgets: an open drop-down list or a dialog
    // keeps its keys.
    if (widget == nullptr || widget->window() != m_window) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const char which = vfoOfKey(key->key(), key->modifiers());
    if (which == 0) {
        return false;
    }
    m_vfo(which);
    return true;
}

}  // namespace korvex
