#pragma once

#include <QComboBox>
#include <QLineEdit>

namespace korvex {

// A drop-down list whose choice counts only when it is confirmed: by a click
// into the open list or by Enter. Moving through the entries with the keys
// or the wheel never acts; a key that would move a closed list opens it.
class CPanelSelector : public QComboBox {
    Q_OBJECT
public:
    explicit CPanelSelector(QWidget* parent = nullptr);

    // The list has dropped down and is shown.
    bool isListOpen() const;
    // Confirms the highlighted entry of the open list, as a click would.
    void confirmHighlighted();
    // The list was closed during the event being handled now: a Return that
    // chose an entry closes the list before the window's shortcuts see it.
    bool listJustClosed() const { return m_justClosed; }
    // Keyboard operation: open the list as soon as the focus arrives.
    void setOpenOnFocus(bool on) { m_openOnFocus = on; }

    void showPopup() override;
    void hidePopup() override;

signals:
    // The list is about to drop down.
    void aboutToOpen();
    // The operator confirmed the entry at this position.
    void confirmed(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    bool m_openOnFocus = false;
    bool m_justClosed = false;
};

// The frequency entry. It leaves the keys that the window binds to the
// tuning panel (Enter, Ctrl with an arrow, numeric-keypad "/", "*", "-") to
// the window instead of typing them.
class CFrequencyEntry : public QLineEdit {
    Q_OBJECT
public:
    explicit CFrequencyEntry(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
};

}  // namespace korvex
