#pragma once

#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <functional>

class QAbstractButton;
class QKeyEvent;
class QWidget;

namespace korvex {

// The numeric keypad's "/", "*" and "-" select VFO A, VFO B and the plain
// VFO anywhere in the window. A shortcut bound to a keypad key never matches
// on X11 (the platform reports the key's possible sequences without the
// keypad modifier), so these three keys are taken from the key presses of the
// window's widgets before a widget can type them.
class CPanelKeypadKeys : public QObject {
    Q_OBJECT
public:
    using VfoAction = std::function<void(char which)>;

    CPanelKeypadKeys(QWidget* window, VfoAction vfo, QObject* parent = nullptr);

    // 'A', 'B' or 'S' for a keypad key that selects a VFO, else 0.
    static char vfoOfKey(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
    VfoAction m_vfo;
};

// "&SEL" and the menu bar's "&Settings" share Alt+S, and Qt fires neither
// of two shortcuts that match one key. The check box therefore has no
// shortcut of its own: this filter gives it its key while the focus is in
// the panel and the box is enabled; everywhere else the menu bar has it.
class CPanelMnemonic : public QObject {
    Q_OBJECT
public:
    // Takes the button's shortcut away and serves its key from here.
    CPanelMnemonic(QWidget* panel, QAbstractButton* button, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool takesKey(QObject* watched, const QKeyEvent& key) const;

    QPointer<QWidget> m_panel;
    QPointer<QAbstractButton> m_button;
    QKeySequence m_key;
};

}  // namespace korvex
