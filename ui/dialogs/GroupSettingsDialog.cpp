#include "ui/dialogs/GroupSettingsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "link/GroupCommands.h"
#include "model/Tables.h"
#include "ui/Cp1252.h"

namespace korvex {

namespace {

constexpr const char* kScanModes[] = {"WFM", "NFM", "AM",  "USB", "LSB",
                                      "CW",  "SFM", "WAM", "NAM", "All Mode"};
constexpr const char* kAutoStore[] = {"OFF", "ON", "ON DEL"};

QString number(const std::string& field, int group) {
    return field.empty() || isEmptyField(field) ? QString::number(group) : fromCp1252(field);
}

QListWidget* bankList(QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(false);
    return list;
}

}  // namespace

CGroupSettingsDialog::CGroupSettingsDialog(Kind kind, int group, const GroupRecord& record,
                                           QWidget* parent)
    : QDialog(parent),
      m_kind(kind),
      m_group(group),
      m_readOnly(group == 0),
      m_linksAtOpening(record[GroupRecord::kBankLink]),
      m_order(kind == Kind::Scan ? kScanLinkOrder : kSearchLinkOrder) {
    const bool scan = kind == Kind::Scan;
    setWindowTitle(scan ? QStringLiteral("Scan Group Settings")
                        : QStringLiteral("Search Group Settings"));

    auto* numberField = new QLineEdit(number(record[GroupRecord::kNumber], group), this);
    numberField->setReadOnly(true);
    numberField->setObjectName(QStringLiteral("groupNumber"));
    numberField->setMaximumWidth(
        numberField->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    auto* head = new QHBoxLayout;
    head->addWidget(
        new QLabel(scan ? QStringLiteral("Scan Group") : QStringLiteral("Search Group"), this));
    head->addWidget(numberField);
    head->addStretch();

    auto* grid = new QGridLayout;
    m_voice = addSlider(grid, 0, QStringLiteral("Voice Squelch 0...255 *"), 255, 15, m_voiceNumber);
    m_level = addSlider(grid, 1, QStringLiteral("Level Squelch 0...255 *"), 255, 15, m_levelNumber);
    m_delay = addSlider(grid, 2, QStringLiteral("Delay 0...9,9s "), 99, 20, m_delayNumber);
    m_pause = addSlider(grid, 3,
                        scan ? QStringLiteral("Free Scan Pause 0...60s")
                             : QStringLiteral("Free Search Pause 0...60s"),
                        60, 10, m_pauseNumber);
    m_voice->setValue(groupNumber(record[GroupRecord::kVoiceSquelch], 0, 255));
    m_level->setValue(groupNumber(record[GroupRecord::kLevelSquelch], 0, 255));
    m_delay->setValue(groupNumber(record[GroupRecord::kDelay], 0, 99));
    m_pause->setValue(groupNumber(record[GroupRecord::kFreePause], 0, 60));

    m_option = new QComboBox(this);
    const std::string& option = record[GroupRecord::kOption];
    if (scan) {
        for (const char* mode : kScanModes) {
            m_option->addItem(QString::fromLatin1(mode));
        }
        m_option->setCurrentIndex(scanModePosition(option));
    } else {
        for (const char* choice : kAutoStore) {
            m_option->addItem(QString::fromLatin1(choice));
        }
        m_option->setCurrentIndex(
            !option.empty() && option[0] >= '0' && option[0] <= '2' ? option[0] - '0' : 0);
    }
    auto* optionRow = new QHBoxLayout;
    optionRow->addWidget(
        new QLabel(scan ? QStringLiteral("Mode Scan") : QStringLiteral("Auto Store"), this));
    optionRow->addWidget(m_option);
    optionRow->addStretch();

    m_available = bankList(this);
    m_selected = bankList(this);
    m_available->setObjectName(QStringLiteral("available"));
    m_selected->setObjectName(QStringLiteral("selected"));
    for (std::size_t i = 0; i < m_order.size(); ++i) {
        const QString letter(QChar::fromLatin1(m_order[i]));
        (isLinked(m_linksAtOpening, i) ? m_selected : m_available)->addItem(letter);
    }
    auto* links = new QGroupBox(
        scan ? QStringLiteral("Bank Link Scan") : QStringLiteral("Bank Link Search"), this);
    auto* linkGrid = new QGridLayout(links);
    linkGrid->addWidget(new QLabel(QStringLiteral("available"), links), 0, 0);
    linkGrid->addWidget(new QLabel(QStringLiteral("selected"), links), 0, 1);
    linkGrid->addWidget(m_available, 1, 0);
    linkGrid->addWidget(m_selected, 1, 1);
    connect(m_available, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { moveItem(item, m_available, m_selected); });
    connect(m_selected, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { moveItem(item, m_selected, m_available); });

    auto* note =
        new QLabel(QStringLiteral("* When using voice or level squelch, rotate the rotary\n"
                                  "squelch control to fully anticlockwise position"),
                   this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &CGroupSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CGroupSettingsDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addLayout(grid);
    layout->addLayout(optionRow);
    layout->addWidget(links);
    layout->addWidget(note);
    layout->addWidget(buttons);

    // Group 0 is only shown; the VFO search group links no banks.
    for (QWidget* w : std::initializer_list<QWidget*>{m_voice, m_level, m_delay, m_pause, m_option,
                                                      m_available, m_selected, m_ok}) {
        w->setEnabled(!m_readOnly);
    }
    if (!scan && group == kVfoSearchGroup) {
        m_available->setEnabled(false);
        m_selected->setEnabled(false);
    }
    showNumbers();
    if (!m_readOnly) {
        m_voice->setFocus(Qt::OtherFocusReason);
    }
}

QSlider* CGroupSettingsDialog::addSlider(QGridLayout* grid, int row, const QString& caption,
                                         int maximum, int tick, QLabel*& number) {
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(0, maximum);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(tick);
    slider->setMinimumWidth(260);
    number = new QLabel(this);
    number->setMinimumWidth(number->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    grid->addWidget(new QLabel(caption, this), row, 0);
    grid->addWidget(slider, row, 1);
    grid->addWidget(number, row, 2);
    // valueChanged fires while the slider is dragged and when it is set.
    connect(slider, &QSlider::valueChanged, this, &CGroupSettingsDialog::showNumbers);
    connect(slider, &QSlider::sliderReleased, this, &CGroupSettingsDialog::showNumbers);
    return slider;
}

void CGroupSettingsDialog::showNumbers() {
    if (m_pauseNumber == nullptr || m_pause == nullptr) {
        return;  // still being built
    }
    m_voiceNumber->setText(QString::number(m_voice->value()));
    m_levelNumber->setText(QString::number(m_level->value()));
    m_delayNumber->setText(QString::number(m_delay->value() / 10.0, 'f', 1));
    m_pauseNumber->setText(QString::number(m_pause->value()));
}

void CGroupSettingsDialog::moveItem(QListWidgetItem* item, QListWidget* from, QListWidget* to) {
    if (item == nullptr || !from->isEnabled()) {
        return;
    }
    const QString text = item->text();
    delete from->takeItem(from->row(item));
    std::vector<char> firsts;
    for (int i = 0; i < to->count(); ++i) {
        const QString entry = to->item(i)->text();
        firsts.push_back(entry.isEmpty() ? '\0' : entry.at(0).toLatin1());
    }
    const char letter = text.isEmpty() ? '\0' : text.at(0).toLatin1();
    const std::size_t at = insertPosition(firsts, letter, [](char c) { return c; });
    to->insertItem(static_cast<int>(at), text);
}

std::string CGroupSettingsDialog::links() const {
    std::string out(m_order.size(), '-');
    for (int i = 0; i < m_selected->count(); ++i) {
        const QString text = m_selected->item(i)->text();
        const std::size_t at =
            text.isEmpty() ? std::string::npos : m_order.find(text.at(0).toLatin1());
        if (at != std::string::npos) {
            out[at] = m_order[at];
        }
    }
    return out;
}

void CGroupSettingsDialog::accept() {
    if (m_readOnly) {
        return;
    }
    GroupSettings s;
    s.voiceSquelch = m_voice->value();
    s.levelSquelch = m_level->value();
    s.delay = m_delay->value();
    s.pause = m_pause->value();
    s.option = m_option->currentIndex();
    s.links = links();
    m_commands = m_kind == Kind::Scan ? scanGroupSettingsText(s, m_linksAtOpening)
                                      : searchGroupSettingsText(m_group, s, m_linksAtOpening);
    QDialog::accept();
}

std::optional<std::string> CGroupSettingsDialog::run(Kind kind, int group,
                                                     const GroupRecord& record, QWidget* parent) {
    CGroupSettingsDialog dialog(kind, group, record, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.commandText();
}

}  // namespace korvex
