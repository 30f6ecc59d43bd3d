#pragma once

#include <QDialog>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "database/DbSlotConfig.h"
#include "database/SetupPreview.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace korvex {

namespace db {
class Database;
struct DbMessage;
}  // namespace db

// "Database Connection Setup": which file, table and fields a database slot
// (DB1..DB3) uses. The operator picks a slot, a file and, for a workbook, a
// sheet, looks at the first records, maps fields to the list's nine columns
// by clicking their headers and writes the slot to dbconf.ini. It writes
// that file and nothing else; a slot whose database is connected cannot be
// edited.
class CDatabaseSetupDialog : public QDialog {
    Q_OBJECT
public:
    // Whether a slot (1..3) is connected in the main window now.
    using SlotConnected = std::function<bool(int)>;

    CDatabaseSetupDialog(std::filesystem::path iniPath, SlotConnected slotConnected,
                         QWidget* parent = nullptr);
    ~CDatabaseSetupDialog() override;

    // The selected slot, 0 for none.
    int selectedSlot() const { return m_slot; }
    // The chosen file, as stored (UTF-8).
    const std::string& databaseFile() const { return m_file; }
    // The connect prefix of the chosen file; empty before a detection.
    const std::string& databaseType() const { return m_type; }
    const std::string& sheetName() const { return m_sheet; }
    // The fields of the last preview, in table order.
    const std::vector<db::PreviewColumn>& previewColumns() const { return m_columns; }

    QRadioButton* slotButton(int slot) const { return m_slotButtons.at(slot - 1); }
    QPushButton* selectFileButton() const { return m_selectFile; }
    QPushButton* clearSetupButton() const { return m_clearSetup; }
    QLineEdit* pathField() const { return m_path; }
    QComboBox* sheetList() const { return m_sheets; }
    QPushButton* connectButton() const { return m_connect; }
    QRadioButton* roleButton(std::size_t role) const { return m_roleButtons.at(role); }
    QLineEdit* roleField(std::size_t role) const { return m_roleFields.at(role); }
    QTableWidget* previewList() const { return m_preview; }
    QLabel* noteLabel() const { return m_note; }
    QCheckBox* readOnlyBox() const { return m_readOnly; }
    QCheckBox* khzBox() const { return m_khz; }
    QPushButton* writeButton() const { return m_write; }
    QPushButton* cancelButton() const { return m_cancel; }

    // The steps, as the buttons and the header clicks run them.
    void chooseSlot(int slot);
    void selectFile();
    void connectDatabase();
    // Puts the field of preview column `column` into the selected role's edit.
    void mapField(int column);
    void writeConfiguration();
    void clearSetupAndClose();

protected:
    // Return or Space on a preview cell maps its column.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* buildSlotStep();
    QGroupBox* buildSheetStep();
    QGroupBox* buildMappingStep();
    QGroupBox* buildOptionsStep();

    void clearDialog();
    void loadSlot();
    bool detectType();
    void chooseSheet(int index);
    bool openPreviewDatabase(std::string& error);
    void closePreviewDatabase();
    void showPreview(const db::SetupPreview& preview);
    void uncheckSlots();
    void setSlotControlsEnabled(bool enabled);
    void showMessage(const db::DbMessage& message);

    std::filesystem::path m_iniPath;
    SlotConnected m_slotConnected;
    int m_slot = 0;
    std::string m_file;  // the chosen path as the file system spells it
    std::string m_type;
    std::string m_sheet;
    std::unique_ptr<db::Database> m_database;
    std::vector<db::PreviewColumn> m_columns;

    std::array<QRadioButton*, db::kSlotCount> m_slotButtons{};
    QButtonGroup* m_slotGroup = nullptr;
    QPushButton* m_selectFile = nullptr;
    QPushButton* m_clearSetup = nullptr;
    QLineEdit* m_path = nullptr;
    QComboBox* m_sheets = nullptr;
    QPushButton* m_connect = nullptr;
    std::array<QRadioButton*, db::kRoleCount> m_roleButtons{};
    std::array<QLineEdit*, db::kRoleCount> m_roleFields{};
    QButtonGroup* m_roleGroup = nullptr;
    QTableWidget* m_preview = nullptr;
    QLabel* m_note = nullptr;
    QCheckBox* m_readOnly = nullptr;
    QCheckBox* m_khz = nullptr;
    QPushButton* m_write = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace korvex
