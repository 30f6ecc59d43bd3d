#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "link/OptionCommands.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace korvex {

class CMaxChars;
class CReceiver;
struct KorvSettings;

// "Misc Settings": the bandscope numbers and three program options, written
// into the settings on Ok, and the receiver's opening message, LCD contrast
// and beep volume, whose changes become commands for the queue; the web
// page's address and token are shown for reading.
class CMiscSettingsDialog : public QDialog {
    Q_OBJECT
public:
    CMiscSettingsDialog(KorvSettings& settings, const CReceiver& rx, QWidget* parent = nullptr);

    // After Ok: the receiver commands, in one piece; empty when nothing of
    // the receiver's options changed.
    const std::string& commandText() const { return m_commands; }

    QLineEdit* smeterMaxField() const { return m_smeterMax; }
    QLineEdit* thresholdField() const { return m_threshold; }
    QLineEdit* delayField() const { return m_delay; }
    QRadioButton* choiceButton(int choice) const { return m_choice.at(choice); }
    QLineEdit* messageLine(int i) const { return m_lines.at(i); }
    QLineEdit* contrastField() const { return m_contrast; }
    QLineEdit* volumeField() const { return m_volume; }
    QCheckBox* mark2Box() const { return m_mark2; }
    QCheckBox* offOnExitBox() const { return m_offOnExit; }
    QCheckBox* keyboardBox() const { return m_keyboard; }
    // The web page's access token, shown read-only.
    QLineEdit* webTokenField() const { return m_webToken; }

public slots:
    void accept() override;

private:
    int chosen() const;
    void followChoice();
    ReceiverOptions shownOptions() const;

    KorvSettings& m_settings;
    ReceiverOptions m_atOpening;
    bool m_messageWasUnknown = false;
    std::string m_commands;
    QLineEdit* m_smeterMax = nullptr;
    QLineEdit* m_threshold = nullptr;
    QLineEdit* m_delay = nullptr;
    std::array<QRadioButton*, 3> m_choice{};
    std::array<QLineEdit*, kOpeningLineCount> m_lines{};
    std::array<CMaxChars*, kOpeningLineCount> m_lineLimits{};
    QLineEdit* m_contrast = nullptr;
    QLineEdit* m_volume = nullptr;
    CMaxChars* m_contrastLimit = nullptr;
    CMaxChars* m_volumeLimit = nullptr;
    QCheckBox* m_mark2 = nullptr;
    QCheckBox* m_offOnExit = nullptr;
    QCheckBox* m_keyboard = nullptr;
    QLineEdit* m_webToken = nullptr;
};

}  // namespace korvex
