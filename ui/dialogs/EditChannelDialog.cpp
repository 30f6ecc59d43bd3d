#include "ui/dialogs/EditChannelDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "link/FrequencyText.h"
#include "model/Tables.h"
#include "ui/Cp1252.h"
#include "ui/dialogs/ChannelFields.h"
#include "ui/dialogs/MaxChars.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

CEditChannelDialog::CEditChannelDialog(const ChannelRecord& record, bool mark2, QWidget* parent)
    : QDialog(parent), m_record(record), m_mark2(mark2) {
    setWindowTitle(QStringLiteral("Edit Memory Channel"));
    auto* form = new QFormLayout;

    auto* channel = new QLineEdit(fromCp1252(record[ChannelRecord::kChannel]), this);
    channel->setReadOnly(true);
    form->addRow(QStringLiteral("CH"), channel);

    m_frequency = new QLineEdit(this);
    m_frequencyLimit = new CMaxChars(m_frequency, kFrequencyLimit);
    const std::string& frequency = record[ChannelRecord::kFrequency];
    m_frequency->setText(isEmptyField(frequency) ? QString() : fromCp1252(frequency));
    form->addRow(QStringLiteral("FREQUENCY"), m_frequency);

    m_auto = flagBox(QStringLiteral("AUTO"), record[ChannelRecord::kAutoMode], this);
    form->addRow(QString(), m_auto);
    m_step = stepChoice(record[ChannelRecord::kStep], this);
    form->addRow(QStringLiteral("STEP"), m_step);
    m_mode = modeChoice(record[ChannelRecord::kMode], this);
    form->addRow(QStringLiteral("MODE"), m_mode);
    m_attenuator = flagBox(QStringLiteral("ATT"), record[ChannelRecord::kAttenuator], this);
    form->addRow(QString(), m_attenuator);

    m_text = new QLineEdit(this);
    m_textLimit = new CMaxChars(m_text, kTextLimit);
    m_text->setText(nameText(record[ChannelRecord::kText]));
    form->addRow(QStringLiteral("TEXT"), m_text);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CEditChannelDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CEditChannelDialog::reject);
    connect(m_auto, &QCheckBox::toggled, this, &CEditChannelDialog::followAuto);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    followAuto();
}

void CEditChannelDialog::followAuto() {
    const bool manual = !m_auto->isChecked();
    m_step->setEnabled(manual);
    m_mode->setEnabled(manual);
}

void CEditChannelDialog::accept() {
    if (!m_frequencyLimit->check() || !m_textLimit->check()) {
        return;
    }
    const std::string rf =
        frequencyText(toCp1252(m_frequency->text()), FrequencyUnit::MHz, m_mark2);
    if (rf.size() != 12) {
        tell(this, QStringLiteral("No valid frequency !"), QStringLiteral("Error"),
             PromptIcon::Error);
        m_frequency->setFocus();
        return;
    }
    m_record[ChannelRecord::kFrequency] = rf.substr(2);
    m_record[ChannelRecord::kAttenuator].assign(1, m_attenuator->isChecked() ? '1' : '0');
    m_record[ChannelRecord::kAutoMode].assign(1, m_auto->isChecked() ? '1' : '0');
    m_record[ChannelRecord::kMode].assign(1, static_cast<char>('0' + m_mode->currentIndex()));
    m_record[ChannelRecord::kStep] =
        std::string(kStepCodes[static_cast<std::size_t>(m_step->currentIndex())]);
    m_record[ChannelRecord::kText] = toCp1252(m_text->text());
    QDialog::accept();
}

std::optional<ChannelRecord> CEditChannelDialog::run(const ChannelRecord& record, bool mark2,
                                                     QWidget* parent) {
    CEditChannelDialog dialog(record, mark2, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.record();
}

}  // namespace korvex
