#pragma once

#include <QDialog>
#include <optional>

#include "model/Records.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace korvex {

class CMaxChars;

// "Edit Memory Channel": edits a channel record as the list view shows it
// and gives it back with the receiver's values (ten frequency digits, step
// code, mode digit, flags "0"/"1") for the channel write.
class CEditChannelDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFrequencyLimit = 11;
    static constexpr int kTextLimit = 12;

    CEditChannelDialog(const ChannelRecord& record, bool mark2, QWidget* parent = nullptr);

    // The edited record; meaningful after Ok.
    const ChannelRecord& record() const { return m_record; }

    QLineEdit* frequencyField() const { return m_frequency; }
    QLineEdit* textField() const { return m_text; }
    QCheckBox* autoBox() const { return m_auto; }
    QCheckBox* attenuatorBox() const { return m_attenuator; }
    QComboBox* stepList() const { return m_step; }
    QComboBox* modeList() const { return m_mode; }

    static std::optional<ChannelRecord> run(const ChannelRecord& record, bool mark2,
                                            QWidget* parent);

public slots:
    void accept() override;

private:
    void followAuto();

    ChannelRecord m_record;
    bool m_mark2;
    QLineEdit* m_frequency = nullptr;
    QLineEdit* m_text = nullptr;
    QCheckBox* m_auto = nullptr;
    QCheckBox* m_attenuator = nullptr;
    QComboBox* m_step = nullptr;
    QComboBox* m_mode = nullptr;
    CMaxChars* m_frequencyLimit = nullptr;
    CMaxChars* m_textLimit = nullptr;
};

}  // namespace korvex
