#include "ui/dialogs/MiscSettingsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFont>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <optional>

#include "model/Receiver.h"
#include "settings/KorvSettings.h"
#include "ui/Cp1252.h"
#include "ui/dialogs/MaxChars.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

namespace {

// The standard integer check: the whole text a decimal integer within
// lo..hi, else the refusal, with the focus on the field.
std::optional<int> checkedInteger(QLineEdit* field, int lo, int hi) {
    bool ok = false;
    const int value = field->text().trimmed().toInt(&ok);
    if (ok && value >= lo && value <= hi) {
        return value;
    }
    tell(field->window(),
         QStringLiteral("Please enter an integer between %1 and %2.").arg(lo).arg(hi),
         QStringLiteral("Korvex"), PromptIcon::Warning);
    field->setFocus();
    field->selectAll();
    return std::nullopt;
}

QString charText(char c) {
    return c == '\xFF' ? QString() : fromCp1252(std::string_view(&c, 1));
}

}  // namespace

CMiscSettingsDialog::CMiscSettingsDialog(KorvSettings& settings, const CReceiver& rx,
                                         QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    setWindowTitle(QStringLiteral("Misc Settings"));

    auto* scope = new QGroupBox(QStringLiteral("Bandscope"), this);
    auto* scopeForm = new QFormLayout(scope);
    m_smeterMax = new QLineEdit(QString::number(settings.smeterMax), scope);
    m_threshold = new QLineEdit(QString::number(settings.scopeThreshold), scope);
    m_delay = new QLineEdit(QString::number(settings.scopeDelay), scope);
    scopeForm->addRow(QStringLiteral("S-Meter maximum (50..255)"), m_smeterMax);
    scopeForm->addRow(QStringLiteral("Bandscope Threshold (1..200)"), m_threshold);
    scopeForm->addRow(QStringLiteral("Bandscope Delay Time [*10ms]"), m_delay);

    auto* message = new QGroupBox(QStringLiteral("Opening Message"), this);
    auto* messageLayout = new QVBoxLayout(message);
    auto* choices = new QButtonGroup(this);
    const char* captions[] = {"Standard Message", "No Message", "User Message"};
    for (int i = 0; i < 3; ++i) {
        m_choice[i] = new QRadioButton(QString::fromLatin1(captions[i]), message);
        choices->addButton(m_choice[i], i);
        messageLayout->addWidget(m_choice[i]);
    }
    QFont console(QStringLiteral("Lucida Console"));
    console.setStyleHint(QFont::Monospace);
    console.setPixelSize(12);
    const OpeningLines lines = splitOpeningMessage(rx.openingMessage);
    for (std::size_t i = 0; i < kOpeningLineCount; ++i) {
        m_lines[i] = new QLineEdit(fromCp1252(lines[i]), message);
        m_lines[i]->setFont(console);
        m_lineLimits[i] = new CMaxChars(m_lines[i], static_cast<int>(kOpeningLineLength));
        messageLayout->addWidget(m_lines[i]);
    }

    auto* options = new QFormLayout;
    m_contrast = new QLineEdit(fromCp1252(rx.lbValue), this);
    m_contrastLimit = new CMaxChars(m_contrast, 2);
    m_volume = new QLineEdit(charText(rx.vlValue), this);
    m_volumeLimit = new CMaxChars(m_volume, 1);
    options->addRow(QStringLiteral("LCD Contrast (0..31)"), m_contrast);
    options->addRow(QStringLiteral("Beep Volume (0..9)"), m_volume);
    m_mark2 = new QCheckBox(QStringLiteral("MARK II"), this);
    m_offOnExit = new QCheckBox(QStringLiteral("Pwr Off On Exit"), this);
    m_keyboard = new QCheckBox(QStringLiteral("Optimize For Keyboard Operation"), this);
    m_mark2->setChecked(settings.mark2);
    m_offOnExit->setChecked(settings.offOnExit);
    m_keyboard->setChecked(settings.keybopt);
    options->addRow(m_mark2);
    options->addRow(m_offOnExit);
    options->addRow(m_keyboard);

    m_atOpening.choice = openingChoiceOf(rx.openingMode);
    m_atOpening.message = joinOpeningLines(lines);
    m_atOpening.contrast = toCp1252(m_contrast->text());
    m_atOpening.volume = toCp1252(m_volume->text());
    m_messageWasUnknown = rx.openingMessage == "unknown";
    m_choice[static_cast<std::size_t>(m_atOpening.choice)]->setChecked(true);
    followChoice();

    connect(choices, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on) {
            followChoice();
        }
    });
    connect(m_keyboard, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            tell(this,
                 QStringLiteral("This mode is recommended only for people\n"
                                "who extensively work with the keyboard.\n"
                                "It has some drawbacks on mouse operation."),
                 QStringLiteral("Info"), PromptIcon::Information);
        }
    });

    // The web page's address and token, to be read off and typed into a
    // browser elsewhere; they are changed in Korv.ini.
    auto* web = new QGroupBox(QStringLiteral("Web Page"), this);
    auto* webForm = new QFormLayout(web);
    auto* webAddress = new QLineEdit(QStringLiteral("%1 port %2")
                                         .arg(QString::fromStdString(settings.httpBind))
                                         .arg(settings.httpPort),
                                     web);
    webAddress->setReadOnly(true);
    m_webToken = new QLineEdit(QString::fromStdString(settings.httpToken), web);
    m_webToken->setObjectName(QStringLiteral("webToken"));
    m_webToken->setReadOnly(true);
    m_webToken->setPlaceholderText(QStringLiteral("made when another address or control needs it"));
    webForm->addRow(QStringLiteral("Listens on"), webAddress);
    webForm->addRow(QStringLiteral("Access token"), m_webToken);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CMiscSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMiscSettingsDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scope);
    layout->addWidget(message);
    layout->addLayout(options);
    layout->addWidget(web);
    layout->addWidget(buttons);
}

int CMiscSettingsDialog::chosen() const {
    for (int i = 0; i < 3; ++i) {
        if (m_choice[static_cast<std::size_t>(i)]->isChecked()) {
            return i;
        }
    }
    return kStandardMessage;
}

void CMiscSettingsDialog::followChoice() {
    const bool user = chosen() == kUserMessage;
    for (QLineEdit* line : m_lines) {
        line->setEnabled(user);
    }
}

ReceiverOptions CMiscSettingsDialog::shownOptions() const {
    ReceiverOptions now;
    now.choice = chosen();
    OpeningLines lines;
    for (std::size_t i = 0; i < kOpeningLineCount; ++i) {
        lines[i] = toCp1252(m_lines[i]->text());
    }
    now.message = joinOpeningLines(lines);
    now.contrast = toCp1252(m_contrast->text());
    now.volume = toCp1252(m_volume->text());
    return now;
}

void CMiscSettingsDialog::accept() {
    const auto smeterMax = checkedInteger(m_smeterMax, 50, 255);
    if (!smeterMax) {
        return;
    }
    // The label says 1..200, but 0 has always been taken.
    const auto threshold = checkedInteger(m_threshold, 0, 200);
    if (!threshold) {
        return;
    }
    const auto delay = checkedInteger(m_delay, 0, 99);
    if (!delay) {
        return;
    }
    for (const CMaxChars* limit : m_lineLimits) {
        if (!limit->check()) {
            return;
        }
    }
    if (!m_contrastLimit->check() || !m_volumeLimit->check()) {
        return;
    }
    m_settings.smeterMax = *smeterMax;
    m_settings.scopeThreshold = *threshold;
    m_settings.scopeDelay = *delay;
    m_settings.mark2 = m_mark2->isChecked();
    m_settings.offOnExit = m_offOnExit->isChecked();
    m_settings.keybopt = m_keyboard->isChecked();

    const OptionCommands collected =
        collectOptionCommands(m_atOpening, shownOptions(), m_messageWasUnknown);
    switch (collected.refusal) {
        case OptionRefusal::Contrast:
            tell(this, QStringLiteral("LCD Contrast must be between 0 and 31"),
                 QStringLiteral("Error"), PromptIcon::Error);
            m_contrast->setFocus();
            return;
        case OptionRefusal::Volume:
            tell(this, QStringLiteral("Beep Volume must be between 0 and 9)"),
                 QStringLiteral("Error"), PromptIcon::Error);
            m_volume->setFocus();
            return;
        case OptionRefusal::None:
            break;
    }
    m_commands = collected.commands;
    QDialog::accept();
}

}  // namespace korvex
