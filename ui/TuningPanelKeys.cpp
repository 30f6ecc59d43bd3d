#include "ui/TuningPanelKeys.h"

#include <QAbstractButton>
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

CPanelMnemonic::CPanelMnemonic(QWidget* panel, QAbstractButton* button, QObject* parent)
    : QObject(parent),
      m_panel(panel),
      m_button(button),
      m_key(QKeySequence::mnemonic(button->text())) {
    button->setShortcut(QKeySequence());
}

bool CPanelMnemonic::takesKey(QObject* watched, const QKeyEvent& key) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || m_panel == nullptr || m_button == nullptr || m_key.isEmpty() ||
        !m_button->isEnabled() || !m_button->isVisible()) {
        return false;
    }
    if (widget != m_panel && !m_panel->isAncestorOf(widget)) {
        return false;
    }
    const QKeyCombination pressed(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key()));
    return pressed == m_key[0];
}

bool CPanelMnemonic::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) {
        return false;
    }
    if (!takesKey(watched, *static_cast<QKeyEvent*>(event))) {
        return false;
    }
    if (type == QEvent::ShortcutOverride) {
        // Accepted: no shortcut sees the key, it arrives as a key press.
        event->accept();
        return true;
    }
    m_button->setFocus(Qt::ShortcutFocusReason);
    m_button->click();
    return true;
}

}  // namespace korvex
