#include "ui/dialogs/SearchBankDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "link/FrequencyText.h"
#include "link/GroupCommands.h"
#include "model/Tables.h"
#include "ui/Cp1252.h"
#include "ui/dialogs/ChannelFields.h"
#include "ui/dialogs/MaxChars.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

namespace {

QString shown(const std::string& field) {
    return isEmptyField(field) ? QString() : fromCp1252(field);
}

// A step code or the ten frequency digits as a number of Hz; both count Hz.
long long hzOf(std::string_view digits) {
    long long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

CSearchBankDialog::CSearchBankDialog(const ChannelRecord& record, bool mark2, QWidget* parent)
    : QDialog(parent), m_mark2(mark2) {
    setWindowTitle(QStringLiteral("Search Bank Settings"));
    const std::string& bank = record[ChannelRecord::kBank];
    m_letter = bank.empty() ? 'A' : bank.front();

    auto* form = new QFormLayout;
    m_bank = new QLineEdit(QString(QChar::fromLatin1(m_letter)), this);
    m_bank->setReadOnly(true);
    form->addRow(QStringLiteral("Settings for search bank"), m_bank);

    m_lower = new QLineEdit(shown(record[ChannelRecord::kLower]), this);
    m_upper = new QLineEdit(shown(record[ChannelRecord::kUpper]), this);
    form->addRow(QStringLiteral("Lower Frequency Limit"), m_lower);
    form->addRow(QStringLiteral("Upper Frequency Limit"), m_upper);

    m_auto = flagBox(QStringLiteral("AUTO"), record[ChannelRecord::kAutoMode], this);
    form->addRow(QString(), m_auto);
    m_step = stepChoice(record[ChannelRecord::kStep], this);
    form->addRow(QStringLiteral("Tuning Step"), m_step);
    m_mode = modeChoice(record[ChannelRecord::kMode], this);
    form->addRow(QStringLiteral("Rx Mode"), m_mode);
    m_attenuator = flagBox(QStringLiteral("ATT"), record[ChannelRecord::kAttenuator], this);
    form->addRow(QString(), m_attenuator);

    m_name = new QLineEdit(this);
    m_nameLimit = new CMaxChars(m_name, kNameLimit);
    m_name->setText(nameText(record[ChannelRecord::kText]));
    form->addRow(QStringLiteral("Search Bank Name"), m_name);

    // The mark as the bank stands; Ok tests again with the values chosen.
    m_stepOffset =
        needsStepOffset(hzOf(limitDigits(m_lower)),
                        hzOf(kStepCodes[static_cast<std::size_t>(m_step->currentIndex())]));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSearchBankDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSearchBankDialog::reject);
    connect(m_auto, &QCheckBox::toggled, this, &CSearchBankDialog::followAuto);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    followAuto();
    m_lower->setFocus(Qt::OtherFocusReason);
}

void CSearchBankDialog::followAuto() {
    const bool manual = !m_auto->isChecked();
    m_step->setEnabled(manual);
    m_mode->setEnabled(manual);
}

std::string CSearchBankDialog::limitDigits(const QLineEdit* field) const {
    const std::string rf = frequencyText(toCp1252(field->text()), FrequencyUnit::MHz, m_mark2);
    return rf.size() == 12 ? rf.substr(2) : std::string();
}

void CSearchBankDialog::accept() {
    if (!m_nameLimit->check()) {
        return;
    }
    SearchBankSettings b;
    b.bank = m_letter;
    b.lowerDigits = limitDigits(m_lower);
    b.upperDigits = limitDigits(m_upper);
    if (b.lowerDigits.empty() || b.upperDigits.empty()) {
        tell(this, QStringLiteral("No valid frequency !"), QStringLiteral("Error"),
             PromptIcon::Error);
        (b.lowerDigits.empty() ? m_lower : m_upper)->setFocus();
        return;
    }
    b.name = toCp1252(m_name->text());
    if (b.name.empty() || isEmptyField(b.name)) {
        if (!ask(this, Prompt{QStringLiteral("TEXT field not specified! Proceed?"),
                              QStringLiteral("Warning"), PromptIcon::Warning,
                              PromptButtons::OkCancel, true})) {
            m_name->setFocus();
            return;
        }
        b.name.assign(1, ' ');
    }
    b.autoMode = m_auto->isChecked();
    b.stepCode = std::string(kStepCodes[static_cast<std::size_t>(m_step->currentIndex())]);
    b.modeDigit = static_cast<char>('0' + m_mode->currentIndex());
    if (!b.autoMode) {
        m_stepOffset = needsStepOffset(hzOf(b.lowerDigits), hzOf(b.stepCode));
    }
    b.stepOffset = m_stepOffset;
    b.attenuator = m_attenuator->isChecked();
    m_commands = searchBankWrite(b);
    QDialog::accept();
}

std::optional<std::string> CSearchBankDialog::run(const ChannelRecord& record, bool mark2,
                                                  QWidget* parent) {
    CSearchBankDialog dialog(record, mark2, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.commandText();
}

}  // namespace korvex
