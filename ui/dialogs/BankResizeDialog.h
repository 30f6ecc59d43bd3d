#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;
class QSlider;

namespace korvex {

class CReceiver;

// "Memory Bank Resize": moves the hundred slots of a bank pair (A with a,
// ..., J with j) between its two banks in steps of ten.
class CBankResizeDialog : public QDialog {
    Q_OBJECT
public:
    // The slider's value snapped: at least 10, at most 90, else down to a
    // multiple of 10.
    static int snap(int value);

    // shownBank: the letter of the bank the list view shows.
    CBankResizeDialog(const CReceiver& rx, char shownBank, QWidget* parent = nullptr);

    int upperSize() const { return m_upper; }
    int lowerSize() const { return 100 - m_upper; }
    QSlider* slider() const { return m_slider; }
    QLineEdit* upperSizeField() const { return m_upperSizeField; }
    QLineEdit* lowerSizeField() const { return m_lowerSizeField; }
    // After Ok: the letter and new size of the bank that shrinks ("a30"), the
    // argument of the resize command; nothing when neither bank shrinks.
    const std::optional<std::string>& resizeTarget() const { return m_target; }

    static std::optional<std::string> run(const CReceiver& rx, char shownBank, QWidget* parent);

public slots:
    void accept() override;

private:
    void onSlider(int value);
    bool confirmLoss(char letter, int lost);

    char m_upperLetter = 'A';
    char m_lowerLetter = 'a';
    int m_upperAtOpening = 50;
    int m_upper = 50;
    std::optional<std::string> m_target;
    QSlider* m_slider = nullptr;
    QLineEdit* m_upperSizeField = nullptr;
    QLineEdit* m_lowerSizeField = nullptr;
};

}  // namespace korvex
