// The dBASE engine: a folder whose .dbf files are the tables, read and
// appended to through shapelib once each file's header has been checked.

#include <algorithm>
#include <cctype>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "database/DbaseCodePage.h"
#include "database/DbaseFile.h"
#include "database/DbaseLayout.h"
#include "database/DbaseValues.h"
#include "database/Engines.h"
#include "database/TableFileLock.h"

namespace korvex::db {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool isDbfName(const std::filesystem::path& p) {
    return equalsIgnoringCase(p.extension().string(), ".dbf");
}

// Records whose deletion flag is set are hidden, as dBASE hides them; they
// are counted here so that recordCount() is what next() yields.
std::uint64_t countLiveRecords(const std::filesystem::path& file, const DbaseLayout& layout) {
    std::string error;
    std::uint64_t size = 0;
    const int fd = openDbaseFile(file, O_RDONLY, error, size);
    if (fd < 0) {
        return 0;
    }
    const std::uint64_t perChunk = std::max<std::uint64_t>(1, 65536 / layout.recordLength);
    std::string chunk;
    std::uint64_t live = 0;
    for (std::uint64_t done = 0; done < layout.recordCount;) {
        const std::uint64_t n = std::min<std::uint64_t>(perChunk, layout.recordCount - done);
        const auto bytes = static_cast<std::size_t>(n * layout.recordLength);
        if (!readDbaseBytes(fd, layout.recordOffset(done), bytes, chunk) || chunk.size() != bytes) {
            break;
        }
        for (std::uint64_t i = 0; i < n; ++i) {
            live += chunk[static_cast<std::size_t>(i * layout.recordLength)] != '*';
        }
        done += n;
    }
    ::close(fd);
    return live;
}

class DbaseRecordSet final : public RecordSet {
public:
    DbaseRecordSet(std::filesystem::path file, DbaseLayout layout,
                   std::unique_ptr<DbaseReader> reader, const std::string& codePage,
                   std::vector<std::size_t> columns, std::vector<std::string> names,
                   std::size_t liveRecords, bool writable)
        : m_file(std::move(file)),
          m_layout(std::move(layout)),
          m_reader(std::move(reader)),
          m_codec(codePage),
          m_columns(std::move(columns)),
          m_names(std::move(names)),
          m_liveRecords(liveRecords),
          m_writable(writable) {
        for (std::size_t column : m_columns) {
            m_fields.push_back({m_names[column], dbaseFieldType(m_layout.fields[column].type)});
        }
    }

    const std::vector<Field>& fields() const override { return m_fields; }

    bool next() override {
        m_record.clear();
        while (m_index + 1 < static_cast<std::int64_t>(m_layout.recordCount)) {
            ++m_index;
            const std::string_view bytes = m_reader->record(static_cast<int>(m_index));
            if (bytes.empty()) {
                // The file shrank under us: the records end here.
                m_index = m_layout.recordCount;
                return false;
            }
            if (bytes.front() != '*') {
                m_record.assign(bytes);
                return true;
            }
        }
        m_index = m_layout.recordCount;
        return false;
    }

    Value value(std::size_t field) const override {
        if (field >= m_columns.size() || m_record.empty()) {
            return Value::null();
        }
        const DbaseFieldLayout& f = m_layout.fields[m_columns[field]];
        return decodeDbaseField(
            f,
            std::string_view(m_record).substr(static_cast<std::size_t>(f.offset),
                                              static_cast<std::size_t>(f.width)),
            m_codec);
    }

    std::size_t recordCount() const override { return m_liveRecords; }

    bool canAppend() const override { return m_writable; }

    std::optional<AppendError> append(const std::vector<Value>& values) override {
        if (!m_writable) {
            return AppendError{0, "The database was opened read-only."};
        }
        if (values.size() != m_columns.size()) {
            return AppendError{0, "The record has " + std::to_string(values.size()) +
                                      " values for " + std::to_string(m_columns.size()) +
                                      " fields."};
        }
        // Fields outside the query are left empty.
        std::string record(m_layout.recordLength, ' ');
        std::string error;
        for (std::size_t i = 0; i < m_layout.fields.size(); ++i) {
            const DbaseFieldLayout& f = m_layout.fields[i];
            const auto bytes = encodeDbaseField(f, m_names[i], Value::null(), m_codec, error);
            record.replace(static_cast<std::size_t>(f.offset), bytes->size(), *bytes);
        }
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            const std::size_t column = m_columns[i];
            const DbaseFieldLayout& f = m_layout.fields[column];
            const auto bytes = encodeDbaseField(f, m_names[column], values[i], m_codec, error);
            if (!bytes) {
                return AppendError{i, error};
            }
            record.replace(static_cast<std::size_t>(f.offset), bytes->size(), *bytes);
        }
        if (!appendDbaseRecord(m_file, m_layout, record, error)) {
            return AppendError{0, error};
        }
        ++m_liveRecords;
        reopenAfterAppend();
        return std::nullopt;
    }

private:
    // shapelib keeps the record count it read when it opened the file: a
    // fresh reader lets next() go on to the appended record.
    void reopenAfterAppend() {
        std::string error;
        const TableFileLock lock(m_file, false);
        auto layout = readDbaseLayout(m_file, error);
        if (!layout) {
            return;
        }
        if (auto reader = DbaseReader::open(m_file, *layout, error)) {
            m_reader = std::move(reader);
            m_layout = std::move(*layout);
        }
    }

    std::filesystem::path m_file;
    DbaseLayout m_layout;
    std::unique_ptr<DbaseReader> m_reader;
    TextCodec m_codec;
    std::vector<std::size_t> m_columns;  // layout field per selected field
    std::vector<std::string> m_names;    // every field's name in UTF-8
    std::vector<Field> m_fields;
    std::size_t m_liveRecords = 0;
    bool m_writable = false;
    std::int64_t m_index = -1;
    std::string m_record;  // the current record's bytes; empty before the first
};

class DbaseDatabase final : public Database {
public:
    DbaseDatabase(std::filesystem::path folder, bool readOnly)
        : m_folder(std::move(folder)), m_readOnly(readOnly) {}

    std::vector<std::string> tableNames() const override {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder, ec)) {
            std::error_code typeError;
            if (isDbfName(entry.path()) && entry.is_regular_file(typeError)) {
                names.push_back(entry.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::unique_ptr<RecordSet> query(std::string_view sql, std::string& error) override {
        const auto q = parseQuery(sql);
        if (!q) {
            error = "The query \"" + std::string(sql) + "\" is not understood.";
            return nullptr;
        }
        const auto file = findTable(q->table);
        if (!file) {
            error = "The table \"" + q->table + "\" does not exist in " + m_folder.string() + ".";
            return nullptr;
        }
        const std::string tableName = file->filename().string();
        std::string reason;
        const TableFileLock lock(*file, false);
        auto layout = readDbaseLayout(*file, reason);
        if (!layout) {
            error = tableName + ": " + reason;
            return nullptr;
        }
        const std::string codePage = dbaseCodePage(*file, layout->languageDriver);
        std::vector<std::string> names;
        {
            const TextCodec codec(codePage);
            for (const auto& f : layout->fields) {
                std::string_view name = f.name;
                while (!name.empty() && name.back() == ' ') {
                    name.remove_suffix(1);
                }
                names.push_back(codec.toUtf8(name));
            }
        }
        std::vector<std::size_t> columns;
        if (q->fields.empty()) {
            for (std::size_t i = 0; i < names.size(); ++i) {
                columns.push_back(i);
            }
        }
        for (const auto& wanted : q->fields) {
            const auto it = std::find_if(names.begin(), names.end(), [&](const std::string& n) {
                return equalsIgnoringCase(n, wanted);
            });
            if (it == names.end()) {
                error = "The field \"" + wanted + "\" does not exist in table " + tableName + ".";
                return nullptr;
            }
            columns.push_back(static_cast<std::size_t>(it - names.begin()));
        }
        auto reader = DbaseReader::open(*file, *layout, reason);
        if (!reader) {
            error = tableName + ": " + reason;
            return nullptr;
        }
        const auto live = static_cast<std::size_t>(countLiveRecords(*file, *layout));
        const bool writable = !m_readOnly && ::access(file->c_str(), W_OK) == 0;
        return std::make_unique<DbaseRecordSet>(*file, std::move(*layout), std::move(reader),
                                                codePage, std::move(columns), std::move(names),
                                                live, writable);
    }

private:
    // The table's file: its name without regard to case (an exact match
    // first), or the name with ".dbf" added.
    std::optional<std::filesystem::path> findTable(const std::string& table) const {
        const std::vector<std::string> names = tableNames();
        for (const std::string& candidate : {table, table + ".dbf"}) {
            if (std::find(names.begin(), names.end(), candidate) != names.end()) {
                return m_folder / candidate;
            }
            for (const auto& name : names) {
                if (equalsIgnoringCase(name, candidate)) {
                    return m_folder / name;
                }
            }
        }
        return std::nullopt;
    }

    std::filesystem::path m_folder;
    bool m_readOnly;
};

}  // namespace

std::unique_ptr<Database> openDbase(const std::filesystem::path& folder, bool readOnly,
                                    std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        error = "The folder " + folder.string() + " does not exist.";
        return nullptr;
    }
    return std::make_unique<DbaseDatabase>(folder, readOnly);
}

}  // namespace korvex::db
