// The controls of "Database Connection Setup" in their four framed steps.
// Widgets are made in reading order, which is also their Tab order.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "ui/dialogs/DatabaseSetupDialog.h"

namespace korvex {

namespace {

// The roles' captions; the mnemonics are unique in the dialog.
constexpr std::array<const char*, db::kRoleCount> kRoleCaptions = {
    "&FREQ (COL0)", "&MOD (COL1)", "C&OL2", "CO&L3", "COL&4", "COL&5", "COL&6", "COL&7", "COL&8",
};

QPushButton* plainButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    // Enter in an edit must never press "Clear Setup" or "Select": only the
    // dialog's default button takes it.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

QGroupBox* CDatabaseSetupDialog::buildSlotStep() {
    auto* box = new QGroupBox(
        QStringLiteral("STEP 1: choose the button of Korvex's toolbar you want to setup"), this);
    m_slotGroup = new QButtonGroup(this);
    auto* row = new QHBoxLayout;
    for (int slot = 1; slot <= db::kSlotCount; ++slot) {
        auto* button = new QRadioButton(QStringLiteral("DB&%1").arg(slot), box);
        m_slotButtons[static_cast<std::size_t>(slot - 1)] = button;
        m_slotGroup->addButton(button, slot);
        row->addWidget(button);
    }
    row->addSpacing(16);
    m_selectFile = plainButton(QStringLiteral("&Select Database File..."), box);
    row->addWidget(m_selectFile);
    row->addWidget(new QLabel(QStringLiteral("OR..."), box));
    m_clearSetup = plainButton(QStringLiteral("&Clear Setup and Close Dialog"), box);
    row->addWidget(m_clearSetup);
    row->addStretch(1);

    m_path = new QLineEdit(box);
    m_path->setReadOnly(true);
    m_path->setAccessibleName(QStringLiteral("database file"));

    auto* layout = new QVBoxLayout(box);
    layout->addLayout(row);
    layout->addWidget(m_path);
    return box;
}

QGroupBox* CDatabaseSetupDialog::buildSheetStep() {
    auto* box = new QGroupBox(
        QStringLiteral(
            "STEP 2: connect to your database, for Excel files you must select a sheet "),
        this);
    m_sheets = new QComboBox(box);
    m_sheets->setAccessibleName(QStringLiteral("sheet"));
    m_sheets->setMinimumContentsLength(24);
    m_connect = plainButton(QStringLiteral("Co&nnect to Database"), box);
    auto* layout = new QHBoxLayout(box);
    layout->addWidget(m_sheets);
    layout->addWidget(m_connect);
    layout->addStretch(1);
    return box;
}

QGroupBox* CDatabaseSetupDialog::buildMappingStep() {
    auto* box = new QGroupBox(
        QStringLiteral("STEP 3: map the column headers used in Korvex to those of your database"),
        this);
    m_roleGroup = new QButtonGroup(this);
    auto* grid = new QGridLayout;
    for (std::size_t role = 0; role < db::kRoleCount; ++role) {
        auto* button = new QRadioButton(QString::fromLatin1(kRoleCaptions[role]), box);
        auto* field = new QLineEdit(box);
        field->setAccessibleName(button->text().remove(QLatin1Char('&')));
        m_roleButtons[role] = button;
        m_roleFields[role] = field;
        m_roleGroup->addButton(button, static_cast<int>(role));
        grid->addWidget(button, 0, static_cast<int>(role));
        grid->addWidget(field, 1, static_cast<int>(role));
    }
    m_roleButtons[0]->setChecked(true);

    m_preview = new QTableWidget(box);
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_preview->setSelectionMode(QAbstractItemView::SingleSelection);
    m_preview->verticalHeader()->hide();
    // One line per record, as a report list shows it.
    m_preview->setWordWrap(false);
    // Tab leaves the preview for the next step instead of walking its cells.
    m_preview->setTabKeyNavigation(false);
    m_preview->verticalHeader()->setDefaultSectionSize(m_preview->fontMetrics().height() + 6);
    m_preview->horizontalHeader()->setSectionsClickable(true);
    m_preview->horizontalHeader()->setHighlightSections(false);
    m_preview->setAccessibleName(QStringLiteral("table preview"));
    m_preview->setMinimumHeight(m_preview->fontMetrics().height() * 9);

    m_note = new QLabel(
        QStringLiteral(
            "Note: the FREQUENCY and MOD field are used to tune AR8600. MOD fields may contain\n"
            "anything, but set the receive mode if the field contains one of the strings:\n"
            "WFM, NFM, SFM, WAM, AM, NAM, USB, LSB or CW."),
        box);

    auto* layout = new QVBoxLayout(box);
    layout->addLayout(grid);
    layout->addWidget(m_preview, 1);
    layout->addWidget(m_note);
    return box;
}

QGroupBox* CDatabaseSetupDialog::buildOptionsStep() {
    auto* box = new QGroupBox(
        QStringLiteral("STEP 4: repeat step 3 as necessary and choose additional options here"),
        this);
    m_readOnly = new QCheckBox(QStringLiteral("o&pen database write protected"), box);
    m_khz = new QCheckBox(QStringLiteral("frequencies in &kHz"), box);
    m_write = new QPushButton(QStringLiteral("&Write DB Configuration File"), box);
    m_write->setDefault(true);
    m_cancel = plainButton(QStringLiteral("&Cancel"), box);
    auto* layout = new QHBoxLayout(box);
    layout->addWidget(m_readOnly);
    layout->addWidget(m_khz);
    layout->addStretch(1);
    layout->addWidget(m_write);
    layout->addWidget(m_cancel);
    return box;
}

}  // namespace korvex
