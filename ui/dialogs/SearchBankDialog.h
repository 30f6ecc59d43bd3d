#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "model/Records.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace korvex {

class CMaxChars;

// "Search Bank Settings": the limits, tuning, attenuator and name of one
// search bank. Ok gives the bank's write command; the caller queues it with
// the search-bank read that follows.
class CSearchBankDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kNameLimit = 12;

    // record: the bank as the model holds it (search-bank meaning).
    CSearchBankDialog(const ChannelRecord& record, bool mark2, QWidget* parent = nullptr);

    // After Ok: the write command.
    const std::string& commandText() const { return m_commands; }
    // Whether the lower limit is off the chosen step's grid (a "+" before
    // the step code); follows the last Ok.
    bool stepOffset() const { return m_stepOffset; }

    QLineEdit* bankField() const { return m_bank; }
    QLineEdit* lowerField() const { return m_lower; }
    QLineEdit* upperField() const { return m_upper; }
    QCheckBox* autoBox() const { return m_auto; }
    QComboBox* stepList() const { return m_step; }
    QComboBox* modeList() const { return m_mode; }
    QCheckBox* attenuatorBox() const { return m_attenuator; }
    QLineEdit* nameField() const { return m_name; }

    static std::optional<std::string> run(const ChannelRecord& record, bool mark2, QWidget* parent);

public slots:
    void accept() override;

private:
    void followAuto();
    std::string limitDigits(const QLineEdit* field) const;

    char m_letter = 'A';
    bool m_mark2;
    bool m_stepOffset = false;
    std::string m_commands;
    QLineEdit* m_bank = nullptr;
    QLineEdit* m_lower = nullptr;
    QLineEdit* m_upper = nullptr;
    QCheckBox* m_auto = nullptr;
    QComboBox* m_step = nullptr;
    QComboBox* m_mode = nullptr;
    QCheckBox* m_attenuator = nullptr;
    QLineEdit* m_name = nullptr;
    CMaxChars* m_nameLimit = nullptr;
};

}  // namespace korvex
