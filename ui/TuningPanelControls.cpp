#include "ui/TuningPanelControls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWheelEvent>

namespace korvex {

CPanelSelector::CPanelSelector(QWidget* parent) : QComboBox(parent) {
    // Only a choice made in the open list (click or Enter) reaches here,
    // because every key that would change a closed list opens it instead.
    connect(this, &QComboBox::activated, this, &CPanelSelector::confirmed);
}

bool CPanelSelector::isListOpen() const {
    return view()->isVisible();
}

void CPanelSelector::showPopup() {
    emit aboutToOpen();
    QComboBox::showPopup();
}

void CPanelSelector::hidePopup() {
    const bool wasOpen = isListOpen();
    QComboBox::hidePopup();
    if (wasOpen && !m_justClosed) {
        // Cleared once the event loop runs again, after the closing key
        // event has been handled to its end.
        m_justClosed = true;
        QTimer::singleShot(0, this, [this] { m_justClosed = false; });
    }
}

void CPanelSelector::confirmHighlighted() {
    if (!isListOpen()) {
        return;
    }
    const int row = view()->currentIndex().row();
    hidePopup();
    // Closed by the panel's own Enter, which has used its key up here.
    m_justClosed = false;
    if (row >= 0 && row < count()) {
        setCurrentIndex(row);
        emit confirmed(row);
    }
}

void CPanelSelector::keyPressEvent(QKeyEvent* event) {
    if (isListOpen()) {
        QComboBox::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (event->modifiers() & ~(Qt::KeypadModifier | Qt::AltModifier)) {
                event->ignore();
                return;
            }
            showPopup();
            return;
        case Qt::Key_Enter:
        case Qt::Key_Return:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Space:
        case Qt::Key_F4:
            QComboBox::keyPressEvent(event);
            return;
        default:
            break;
    }
    if (!event->text().isEmpty() && event->text().front().isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        // Typing into a closed list opens it and searches there.
        showPopup();
        QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text());
        QApplication::sendEvent(view(), &copy);
        return;
    }
    event->ignore();
}

void CPanelSelector::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

void CPanelSelector::focusInEvent(QFocusEvent* event) {
    QComboBox::focusInEvent(event);
    if (!m_openOnFocus || isListOpen()) {
        return;
    }
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
        reason == Qt::ShortcutFocusReason || reason == Qt::OtherFocusReason) {
        // Opened after the focus change has finished, so the list's grab
        // does not fight the focus hand-over.
        QPointer<CPanelSelector> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self && self->hasFocus() && !self->isListOpen()) {
                self->showPopup();
            }
        });
    }
}

CFrequencyEntry::CFrequencyEntry(QWidget* parent) : QLineEdit(parent) {}

bool CFrequencyEntry::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool keypad = key->modifiers() & Qt::KeypadModifier;
        const bool ctrlOnly = (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
        const int k = key->key();
        // Ctrl with an arrow tunes; the line edit would take Ctrl+Left and
        // Ctrl+Right as word moves.
        const bool dialKey = ctrlOnly && (k == Qt::Key_Left || k == Qt::Key_Right ||
                                          k == Qt::Key_Up || k == Qt::Key_Down);
        if (k == Qt::Key_Return || k == Qt::Key_Enter || dialKey ||
            (keypad && (k == Qt::Key_Slash || k == Qt::Key_Asterisk || k == Qt::Key_Minus))) {
            // Not overridden: the window's shortcut for the key gets it.
            event->ignore();
            return true;
        }
    }
    return QLineEdit::event(event);
}

}  // namespace korvex
