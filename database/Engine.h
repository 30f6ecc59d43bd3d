#pragma once

// The table engine: opens a dBASE folder, an Excel workbook or a folder of CSV
// files by its connect prefix and answers the two query shapes the program
// builds, "SELECT * FROM [t]" and "SELECT a,b,... FROM [t]", with typed fields.
// Texts in and out are UTF-8; errors are texts for the user.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::db {

// Field type codes as the classic engine numbered them. The program works with
// Double, DateTime, Text and Numeric; the others are reported so that a caller
// can refuse them.
enum FieldType : int {
    kBoolean = 1,
    kLong = 4,
    kDouble = 7,
    kDateTime = 8,
    kText = 10,
    kMemo = 12,
    kNumeric = 19,
};

inline bool isSupportedType(int type) {
    return type == kDouble || type == kDateTime || type == kText || type == kNumeric;
}

// The connect prefixes: "dBASE III;", "dBASE IV;", "dBASE 5.0;" open a folder
// whose .dbf files are the tables (named by file name, "x.dbf"); "Excel 5.0;"
// opens an .xls workbook whose sheets are the tables; "Text;" opens a folder
// whose .csv files are the tables (named by file name, "x.csv").
inline constexpr std::string_view kConnectDbase3 = "dBASE III;";
inline constexpr std::string_view kConnectDbase4 = "dBASE IV;";
inline constexpr std::string_view kConnectDbase5 = "dBASE 5.0;";
inline constexpr std::string_view kConnectExcel = "Excel 5.0;";
inline constexpr std::string_view kConnectText = "Text;";

struct DateTime {
    int year = 0;  // a date/time value with month or day 0 is no valid date
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

struct Value {
    enum class Kind { Null, Number, Text, Date, BadDate };
    Kind kind = Kind::Null;
    double number = 0.0;  // Number
    std::string text;     // Text (UTF-8); also the raw bytes of a BadDate
    DateTime date;        // Date

    static Value null() { return {}; }
    static Value ofNumber(double n) { return {Kind::Number, n, {}, {}}; }
    static Value ofText(std::string t) { return {Kind::Text, 0.0, std::move(t), {}}; }
    static Value ofDate(DateTime d) { return {Kind::Date, 0.0, {}, d}; }
};

struct Field {
    std::string name;  // as stored in the table (UTF-8)
    int type = kText;  // a FieldType code
};

// A refused append: which value (index into the record set's fields) and why.
struct AppendError {
    std::size_t field = 0;
    std::string message;
};

// The result of a query: the selected fields in query order and the records.
class RecordSet {
public:
    virtual ~RecordSet() = default;

    virtual const std::vector<Field>& fields() const = 0;
    // Moves to the next record; the first call moves to the first record.
    // False at the end (and then the current record is undefined).
    virtual bool next() = 0;
    // A field of the current record, by index into fields().
    virtual Value value(std::size_t field) const = 0;
    // Records of the table (for progress); exact for every engine here.
    virtual std::size_t recordCount() const = 0;

    // Whether append() can work: the database was opened writable and its
    // format can take new records.
    virtual bool canAppend() const = 0;
    // Appends one record whose values are given per selected field (Null for
    // an empty field). The record lands whole or not at all: on any failure,
    // or a kill during the write, the file still opens with every earlier
    // record. A value the field cannot hold is refused with its index.
    virtual std::optional<AppendError> append(const std::vector<Value>& values) = 0;
};

class Database {
public:
    virtual ~Database() = default;

    // The table names (dBASE and CSV: the file names in the folder, sorted;
    // Excel: the sheet names in workbook order).
    virtual std::vector<std::string> tableNames() const = 0;
    // Runs one of the two query shapes. Field names are matched without
    // regard to ASCII case; a missing table or field, a malformed query or an
    // unreadable file give nullptr and a message in `error`.
    virtual std::unique_ptr<RecordSet> query(std::string_view sql, std::string& error) = 0;
};

// Opens a database with a connect prefix (see above) on `path` (the folder for
// dBASE and CSV, the file for Excel). `readOnly` makes every record set refuse
// appends. Nothing is read beyond what the prefix needs to check the path;
// a bad prefix or an unusable path gives nullptr and a message in `error`.
std::unique_ptr<Database> openDatabase(std::string_view connect, const std::filesystem::path& path,
                                       bool readOnly, std::string& error);

// A parsed query: the table and the field names (empty for "*").
struct Query {
    std::string table;
    std::vector<std::string> fields;
};

// Parses "SELECT * FROM [t]" and "SELECT a,b,... FROM [t]" (keywords in any
// case, blanks around names and commas ignored, field names as written
// without brackets, the table name in brackets). Nothing otherwise.
std::optional<Query> parseQuery(std::string_view sql);

}  // namespace korvex::db
