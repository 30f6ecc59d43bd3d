#include "database/DbDao.h"

#include "database/CellText.h"

#include <cerrno>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "database/DbTextRules.h"
#include "model/CsvBank.h"

namespace korvex::db {

namespace {

constexpr std::size_t kProbeBytes = 10;

DbMessage databaseError(const std::string& cause) {
    return {"Could not open database.\nCause: " + cause, "Open database failed",
            DbMessage::Icon::Error};
}

DbMessage fieldError(std::size_t role, const std::string& cause) {
    return {"Error in field No. " + std::to_string(role) + ":\nCause: " + cause, "Write failed",
            DbMessage::Icon::Error};
}

// Opens the file and reads its first bytes, so that a file the user cannot
// read is named as such before the engine tries it; the errno otherwise.
// Opened without blocking and refused unless regular, so that a FIFO or a
// device never holds the window waiting for a writer or for an end.
std::optional<std::string> probeFile(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::to_string(errno);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return S_ISDIR(st.st_mode) ? std::to_string(EISDIR) : std::string("it is no regular file");
    }
    char bytes[kProbeBytes];
    const ssize_t got = ::read(fd, bytes, sizeof bytes);
    const int readError = errno;
    ::close(fd);
    if (got < 0) {
        return std::to_string(readError);
    }
    return std::nullopt;
}

// kHz as a text: three decimals at most, no trailing zeros ("145500",
// "7055.5").
std::string kilohertzText(double kilohertz) {
    std::string text = formatFixed(kilohertz, 3);
    while (text.back() == '0') {
        text.pop_back();
    }
    if (text.back() == '.') {
        text.pop_back();
    }
    return text;
}

// The value "Add Database Entry" stores for one role's text, or the reason
// it cannot. Numbers take "," or "." as the point; a date in none of the
// three forms leaves the field empty.
std::optional<std::string> entryValue(const std::string& entered, int type, bool khzFreq,
                                      Value& value) {
    if (type == kDouble || type == kNumeric) {
        std::string text = trimmed(entered);
        for (char& c : text) {
            if (c == ',') {
                c = '.';
            }
        }
        if (text.empty()) {
            return std::nullopt;
        }
        const auto number = parseNumber(text);
        if (!number) {
            return "\"" + csv::cp1252ToUtf8(entered) + "\" is no number.";
        }
        // The entry holds MHz; the field counts kHz.
        value = Value::ofNumber(khzFreq ? *number * 1000.0 : *number);
        return std::nullopt;
    }
    if (type == kDateTime) {
        const std::string text = trimmed(entered);
        const auto date = entryDateForm(text);
        if (!date) {
            return std::nullopt;
        }
        if (!isValidDateTime(*date)) {
            return "\"" + csv::cp1252ToUtf8(text) + "\" is no valid date or time.";
        }
        value = Value::ofDate(*date);
        return std::nullopt;
    }
    if (khzFreq) {
        // A kHz table that keeps its frequencies as text gets the entry's
        // MHz as kHz too, or the record would name a frequency 1000 times
        // too low. A text that is no number goes in as entered.
        std::string text = trimmed(entered);
        for (char& c : text) {
            if (c == ',') {
                c = '.';
            }
        }
        if (const auto number = parseNumber(text)) {
            value = Value::ofText(kilohertzText(*number * 1000.0));
            return std::nullopt;
        }
    }
    value = Value::ofText(csv::cp1252ToUtf8(entered));
    return std::nullopt;
}

}  // namespace

bool CDbDao::connect(const std::filesystem::path& iniPath, int slot,
                     std::optional<DbMessage>& message) {
    close();
    const DbSlotConfig config = readSlotConfig(iniPath, slot);
    if (!config.problem.empty()) {
        message = DbMessage{config.problem, "File open failed", DbMessage::Icon::Error};
        return false;
    }
    const std::filesystem::path file(config.file);

    if (const auto cause = probeFile(file)) {
        message = DbMessage{"Could not open file. Cause: " + *cause, "File open failed",
                            DbMessage::Icon::Error};
        return false;
    }

    // A workbook is opened itself and its sheet is the table; a dBASE or
    // CSV folder holds the file as its table.
    const bool sheet = !config.sheet.empty();
    std::string error;
    auto database =
        openDatabase(config.type, sheet ? file : file.parent_path(), config.readOnly, error);
    if (!database) {
        message = databaseError(error);
        return false;
    }
    return attach(iniPath, config, std::move(database), message);
}

bool CDbDao::attach(const std::filesystem::path& iniPath, const DbSlotConfig& config,
                    std::unique_ptr<Database> database, std::optional<DbMessage>& message) {
    close();
    m_iniPath = iniPath;
    m_slot = config.slot;
    m_fieldNames = config.fields;
    m_inKhz = config.inKhz;
    m_readOnly = config.readOnly;
    columnWidths = config.columnWidths;
    m_database = std::move(database);

    // Field names go in as stored, without brackets; FREQ always, the other
    // roles when mapped.
    m_query = "SELECT " + m_fieldNames[0];
    for (std::size_t role = 0; role < kRoleCount; ++role) {
        m_fieldUsed[role] = role == 0 || !m_fieldNames[role].empty();
        if (role > 0 && m_fieldUsed[role]) {
            m_query += "," + m_fieldNames[role];
        }
    }
    const std::string table = config.sheet.empty()
                                  ? std::filesystem::path(config.file).filename().string()
                                  : config.sheet;
    m_query += " FROM [" + table + "]";

    std::string error;
    if (!runQuery(error)) {
        // A field the table lacks would otherwise leave the user with no word.
        message = databaseError(error);
        close();
        return false;
    }
    if (!m_onRecord) {
        close();
        return false;
    }
    m_connected = true;
    return true;
}

bool CDbDao::runQuery(std::string& error) {
    m_records.reset();
    m_onRecord = false;
    m_fresh = false;
    if (!m_database) {
        error = "The database is closed.";
        return false;
    }
    auto records = m_database->query(m_query, error);
    if (!records) {
        return false;
    }
    std::size_t index = 0;
    for (std::size_t role = 0; role < kRoleCount; ++role) {
        m_fieldTypes[role] = kRoleUnused;
        if (!m_fieldUsed[role]) {
            continue;
        }
        if (index >= records->fields().size()) {
            error = "The query gave fewer fields than it names.";
            return false;
        }
        m_fieldIndex[role] = index;
        m_fieldTypes[role] = records->fields()[index].type;
        ++index;
    }
    m_records = std::move(records);
    m_onRecord = m_records->next();
    m_fresh = true;
    return true;
}

void CDbDao::close() {
    m_records.reset();
    m_database.reset();
    m_connected = false;
    m_fresh = false;
    m_onRecord = false;
}

bool CDbDao::readRecord(bool advance, RecordTexts& texts) {
    if (!m_connected) {
        return false;
    }
    if (!advance) {
        if (!m_fresh) {
            std::string error;
            runQuery(error);
        }
    } else if (!m_fresh && m_onRecord) {
        m_onRecord = m_records->next();
    }
    m_fresh = false;
    if (!m_onRecord) {
        return false;
    }
    readTexts(texts);
    return true;
}

void CDbDao::readTexts(RecordTexts& texts) const {
    for (std::size_t role = 0; role < kRoleCount; ++role) {
        texts[role].clear();
        if (m_fieldUsed[role]) {
            const Value value = m_records->value(m_fieldIndex[role]);
            texts[role] = csv::utf8ToCp1252(recordText(value, m_fieldTypes[role], role, m_inKhz));
        }
    }
}

bool CDbDao::saveColumnWidths() {
    if (m_slot < 1 || m_slot > kSlotCount) {
        return false;
    }
    return db::saveColumnWidths(m_iniPath, m_slot, columnWidths);
}

std::optional<DbMessage> CDbDao::addRecord(const RecordTexts& values) {
    if (!canWrite()) {
        return DbMessage{"Sorry. Unable to write to database.", "Error", DbMessage::Icon::Error};
    }
    std::vector<Value> record(m_records->fields().size());
    for (std::size_t role = 0; role < kRoleCount; ++role) {
        if (!m_fieldUsed[role] || values[role].empty()) {
            continue;
        }
        Value value;
        if (auto cause =
                entryValue(values[role], m_fieldTypes[role], role == 0 && m_inKhz, value)) {
            return fieldError(role, *cause);
        }
        record[m_fieldIndex[role]] = std::move(value);
    }
    if (const auto refused = m_records->append(record)) {
        std::size_t role = refused->field;
        for (std::size_t r = 0; r < kRoleCount; ++r) {
            if (m_fieldUsed[r] && m_fieldIndex[r] == refused->field) {
                role = r;
                break;
            }
        }
        return fieldError(role, refused->message);
    }
    return std::nullopt;
}

bool CDbDao::canWrite() const {
    return m_connected && !m_readOnly && m_records && m_records->canAppend();
}

std::size_t CDbDao::recordCount() const {
    return m_records ? m_records->recordCount() : 0;
}

}  // namespace korvex::db
