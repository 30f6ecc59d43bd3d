#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "database/DbDao.h"

class QLineEdit;
class QPushButton;

namespace korvex {

// Shows a message of the database layer as a box with its caption and icon.
void showDbMessage(QWidget* parent, const db::DbMessage& message);

// "Add Database Entry": the nine mapped field names, an edit under each used
// one, and the buttons that put the current date and time on the clipboard.
// "&Add To Database" hands the nine texts to the writer; a refused value
// keeps the dialog open so the entry can be corrected.
class CAddDatabaseEntryDialog : public QDialog {
    Q_OBJECT
public:
    // Stores one record from the nine Windows-1252 texts; a message when refused.
    using Writer = std::function<std::optional<db::DbMessage>(const db::RecordTexts&)>;

    struct Setup {
        std::array<std::string, db::kRoleCount> fieldNames;  // UTF-8, "" = not used
        std::array<bool, db::kRoleCount> fieldUsed{};
        std::string frequency;  // the current VFO's frequency text (Windows-1252)
        std::string mode;       // the receive mode's name
        bool writable = false;  // the table takes new records
    };

    CAddDatabaseEntryDialog(const Setup& setup, Writer writer, QWidget* parent = nullptr);

    // Runs the dialog; a database that cannot be written is refused with a
    // message and the dialog closes. True when a record was stored.
    bool run();

    QLineEdit* captionEdit(int role) const { return m_captions[static_cast<std::size_t>(role)]; }
    QLineEdit* valueEdit(int role) const { return m_values[static_cast<std::size_t>(role)]; }
    // The edits' texts as Windows-1252 bytes.
    db::RecordTexts values() const;

public slots:
    void addToDatabase();

private:
    Setup m_setup;
    Writer m_writer;
    std::array<QLineEdit*, db::kRoleCount> m_captions{};
    std::array<QLineEdit*, db::kRoleCount> m_values{};
};

inline constexpr const char* kUnableToWriteText = "Sorry. Unable to write to database.";

}  // namespace korvex
