#include "ui/dialogs/DatabaseSetupDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "database/DbDao.h"
#include "database/Engine.h"
#include "database/FileType.h"
#include "ui/dialogs/DbMessageIcon.h"
#include "ui/dialogs/FileChooser.h"
#include "ui/dialogs/MemoryGuard.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

namespace {

using Icon = db::DbMessage::Icon;

const db::DbMessage kSlotConnected{
    "This database is currently connected.\nUnable to edit configuration.", "Error", Icon::Warning};
const db::DbMessage kUnsupportedFields{"There where unsupported field types", "Please note...",
                                       Icon::Warning};
const db::DbMessage kUnsupportedType{
    "Only text, numeric and date(time) fields are\nsupported.Please choose another header.",
    "Unsupported Field Type", Icon::Error};
const db::DbMessage kValuesMissing{
    "Unable to write configuration.\nYou must define at least:\n- a button\n- the filename\n- "
    "the FREQUENCY field",
    "Values missing", Icon::Warning};
const db::DbMessage kDuplicateNames{"Duplicate field names. Configuration not written.",
                                    "Duplicate field names", Icon::Warning};

// A header shows at least this many pixels, so a field without a name can
// still be clicked.
constexpr int kMinColumnWidth = 24;

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

}  // namespace

CDatabaseSetupDialog::CDatabaseSetupDialog(std::filesystem::path iniPath,
                                           SlotConnected slotConnected, QWidget* parent)
    : QDialog(parent), m_iniPath(std::move(iniPath)), m_slotConnected(std::move(slotConnected)) {
    setWindowTitle(QStringLiteral("Database Connection Setup"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildSlotStep());
    layout->addWidget(buildSheetStep());
    layout->addWidget(buildMappingStep(), 1);
    layout->addWidget(buildOptionsStep());

    connect(m_slotGroup, &QButtonGroup::idClicked, this, &CDatabaseSetupDialog::chooseSlot);
    connect(m_selectFile, &QPushButton::clicked, this, guarded(this, [this] { selectFile(); }));
    connect(m_clearSetup, &QPushButton::clicked, this,
            guarded(this, [this] { clearSetupAndClose(); }));
    connect(m_sheets, &QComboBox::currentIndexChanged, this, &CDatabaseSetupDialog::chooseSheet);
    connect(m_connect, &QPushButton::clicked, this, guarded(this, [this] { connectDatabase(); }));
    connect(m_preview->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &CDatabaseSetupDialog::mapField);
    m_preview->installEventFilter(this);
    connect(m_write, &QPushButton::clicked, this, guarded(this, [this] { writeConfiguration(); }));
    connect(m_cancel, &QPushButton::clicked, this, &CDatabaseSetupDialog::reject);

    setSlotControlsEnabled(false);
    clearDialog();
    m_slotButtons[0]->setFocus();
}

CDatabaseSetupDialog::~CDatabaseSetupDialog() = default;

bool CDatabaseSetupDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_preview && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Taken here, so Return does not also press the default button.
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            if (m_preview->currentIndex().isValid()) {
                mapField(m_preview->currentIndex().column());
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CDatabaseSetupDialog::showMessage(const db::DbMessage& message) {
    tell(this, text(message.text), text(message.caption), promptIcon(message.icon));
}

void CDatabaseSetupDialog::setSlotControlsEnabled(bool enabled) {
    m_selectFile->setEnabled(enabled);
    m_clearSetup->setEnabled(enabled);
}

void CDatabaseSetupDialog::uncheckSlots() {
    m_slotGroup->setExclusive(false);
    for (QRadioButton* button : m_slotButtons) {
        button->setChecked(false);
    }
    m_slotGroup->setExclusive(true);
}

void CDatabaseSetupDialog::chooseSlot(int slot) {
    if (slot < 1 || slot > db::kSlotCount) {
        return;
    }
    if (m_slotConnected && m_slotConnected(slot)) {
        showMessage(kSlotConnected);
        clearDialog();
        uncheckSlots();
        m_slot = 0;
        setSlotControlsEnabled(false);
        return;
    }
    m_slot = slot;
    slotButton(slot)->setChecked(true);
    setSlotControlsEnabled(true);
    clearDialog();
    loadSlot();
}

void CDatabaseSetupDialog::clearDialog() {
    closePreviewDatabase();
    {
        const QSignalBlocker block(m_sheets);
        m_sheets->clear();
    }
    m_sheets->setEnabled(false);
    m_file.clear();
    m_path->clear();
    m_type.clear();
    m_sheet.clear();
    for (QLineEdit* field : m_roleFields) {
        field->clear();
    }
    m_khz->setChecked(false);
    m_readOnly->setChecked(true);
    m_connect->setEnabled(false);
    m_write->setEnabled(false);
    m_preview->clear();
    m_preview->setRowCount(0);
    m_preview->setColumnCount(0);
    m_columns.clear();
}

void CDatabaseSetupDialog::loadSlot() {
    const db::DbSlotConfig config = db::readSlotConfig(m_iniPath, m_slot);
    if (config.file.empty()) {
        return;
    }
    m_file = config.file;
    m_path->setText(QFile::decodeName(QByteArray::fromStdString(m_file)));
    m_sheet = config.sheet;
    for (std::size_t role = 0; role < db::kRoleCount; ++role) {
        m_roleFields[role]->setText(text(config.fields[role]));
    }
    m_readOnly->setChecked(config.readOnly);
    m_khz->setChecked(config.inKhz);
    detectType();
}

bool CDatabaseSetupDialog::detectType() {
    const db::FileTypeResult result = db::detectFileType(m_file);
    if (!result.ok) {
        m_type.clear();
        if (result.message) {
            showMessage(*result.message);
        }
        return false;
    }
    m_type = result.type;
    closePreviewDatabase();
    if (!m_type.empty()) {
        // A file the engine cannot open is said at "Connect to Database",
        // with the engine's reason.
        std::string error;
        m_database = db::openDatabase(m_type, db::databaseLocation(m_type, m_file), true, error);
    }
    if (m_type == db::kConnectExcel) {
        const QSignalBlocker block(m_sheets);
        m_sheets->clear();
        if (m_database) {
            for (const std::string& sheet : m_database->tableNames()) {
                m_sheets->addItem(text(sheet));
            }
        }
        m_sheets->setCurrentIndex(m_sheets->findText(text(m_sheet), Qt::MatchExactly));
        m_sheets->setEnabled(true);
    }
    m_connect->setEnabled(true);
    return true;
}

void CDatabaseSetupDialog::selectFile() {
    OpenFileRequest request;
    request.caption = QStringLiteral("Select Database File");
    if (!m_file.empty()) {
        request.directory = QFileInfo(QFile::decodeName(QByteArray::fromStdString(m_file))).path();
    }
    // Linux file names keep their case, so both spellings are offered.
    request.filter = QStringLiteral(
        "dBASE, Excel and CSV Files (*.dbf *.xls *.csv *.DBF *.XLS *.CSV);;All Files (*)");
    const QString chosen = chooseExistingFile(this, request);
    if (chosen.isEmpty()) {
        return;
    }
    clearDialog();
    m_file = QFile::encodeName(chosen).toStdString();
    m_path->setText(chosen);
    detectType();
}

void CDatabaseSetupDialog::chooseSheet(int index) {
    if (index >= 0) {
        m_sheet = m_sheets->itemText(index).toStdString();
    }
}

bool CDatabaseSetupDialog::openPreviewDatabase(std::string& error) {
    if (!m_database) {
        m_database = db::openDatabase(m_type, db::databaseLocation(m_type, m_file), true, error);
    }
    return m_database != nullptr;
}

void CDatabaseSetupDialog::closePreviewDatabase() {
    m_database.reset();
}

void CDatabaseSetupDialog::connectDatabase() {
    std::string error;
    std::optional<db::SetupPreview> preview;
    if (openPreviewDatabase(error)) {
        preview = db::readSetupPreview(*m_database, db::tableName(m_type, m_file, m_sheet), error);
    }
    if (!preview) {
        closePreviewDatabase();
        showMessage({"Could not connect to database.\nCause: " + error, "Open database failed",
                     Icon::Error});
        return;
    }
    showPreview(*preview);
    if (preview->unsupportedFields) {
        showMessage(kUnsupportedFields);
    }
    closePreviewDatabase();
    m_write->setEnabled(true);
}

void CDatabaseSetupDialog::showPreview(const db::SetupPreview& preview) {
    m_preview->clear();
    m_columns = preview.columns;
    m_preview->setColumnCount(static_cast<int>(m_columns.size()));
    m_preview->setRowCount(static_cast<int>(preview.rows.size()));
    const QFontMetrics metrics = m_preview->horizontalHeader()->fontMetrics();
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        const QString caption = text(m_columns[c].caption);
        m_preview->setHorizontalHeaderItem(static_cast<int>(c), new QTableWidgetItem(caption));
        m_preview->setColumnWidth(
            static_cast<int>(c), std::max(kMinColumnWidth, 2 * metrics.horizontalAdvance(caption)));
    }
    for (std::size_t r = 0; r < preview.rows.size(); ++r) {
        const std::vector<std::string>& row = preview.rows[r];
        for (std::size_t c = 0; c < row.size(); ++c) {
            m_preview->setItem(static_cast<int>(r), static_cast<int>(c),
                               new QTableWidgetItem(text(row[c])));
        }
    }
}

void CDatabaseSetupDialog::mapField(int column) {
    if (column < 0 || static_cast<std::size_t>(column) >= m_columns.size()) {
        return;
    }
    const int role = m_roleGroup->checkedId();
    if (role < 0) {
        return;
    }
    const db::PreviewColumn& field = m_columns[static_cast<std::size_t>(column)];
    if (!db::isSupportedType(field.type)) {
        showMessage(kUnsupportedType);
        return;
    }
    // The whole name: a header shows at most 19 characters, but the query
    // must name the field as the table does.
    m_roleFields[static_cast<std::size_t>(role)]->setText(text(field.name));
}

void CDatabaseSetupDialog::writeConfiguration() {
    db::DbSlotConfig config;
    config.slot = m_slot;
    config.file = m_file;
    config.type = m_type;
    // A sheet name makes a slot a workbook when it is connected, so only a
    // workbook keeps one.
    config.sheet = m_type == db::kConnectExcel ? m_sheet : std::string();
    for (std::size_t role = 0; role < db::kRoleCount; ++role) {
        config.fields[role] = m_roleFields[role]->text().trimmed().toStdString();
    }
    config.readOnly = m_readOnly->isChecked();
    config.inKhz = m_khz->isChecked();

    if (m_slot == 0 || config.file.empty() || config.fields[0].empty()) {
        showMessage(kValuesMissing);
        return;
    }
    for (std::size_t a = 0; a < db::kRoleCount; ++a) {
        for (std::size_t b = a + 1; b < db::kRoleCount; ++b) {
            if (!config.fields[a].empty() && config.fields[a] == config.fields[b]) {
                showMessage(kDuplicateNames);
                return;
            }
        }
    }
    if (!db::writeSlotSetup(m_iniPath, config)) {
        showMessage({"The database configuration could not be written to\n" + m_iniPath.string(),
                     "Error", Icon::Error});
        return;
    }
    closePreviewDatabase();
    accept();
}

void CDatabaseSetupDialog::clearSetupAndClose() {
    if (!db::clearSlotSetup(m_iniPath, m_slot)) {
        showMessage({"The database configuration could not be written to\n" + m_iniPath.string(),
                     "Error", Icon::Error});
    }
    closePreviewDatabase();
    accept();
}

}  // namespace korvex
