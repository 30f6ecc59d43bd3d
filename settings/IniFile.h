#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/AtomicFile.h"

namespace korvex {

// An INI file ("[section]" lines, "key=value" lines) held in memory line by
// line. Section and key names match without regard to ASCII case; the first
// match wins. Every line that is not changed is written back byte for byte,
// with its own line ending, so comments, blank lines and Windows-1252 text
// pass through untouched. A file larger than kIniFileLimit is not read (see
// open()).
//
// Changes stay in memory until write() or close(), except deleteKey(), which
// acts on the file at once. Destroying the object discards unwritten changes.
class IniFile {
public:
    using KeyValue = std::pair<std::string, std::string>;

    static constexpr std::size_t kIniFileLimit = 1024 * 1024;
    // Every line is held on its own; a file of more lines is not read, so a
    // file of line ends costs no more memory than a real one.
    static constexpr std::size_t kIniLineLimit = 65'536;

    IniFile() = default;
    explicit IniFile(const std::filesystem::path& path) { open(path); }

    // Reads the whole file. A missing file reads as empty and is no error;
    // an existing file that cannot be read, is no regular file, is larger
    // than kIniFileLimit or has more than kIniLineLimit lines also reads as empty, returns false
    // and is then never overwritten by this object; problem() then says why.
    bool open(const std::filesystem::path& path);

    const std::filesystem::path& path() const { return m_path; }
    // Why the last open() failed, naming the file; empty when it did not.
    const std::string& problem() const { return m_problem; }
    bool modified() const { return m_modified; }

    // Section names in file order, as spelled in the file.
    std::vector<std::string> sectionNames() const;
    bool hasSection(std::string_view section) const;

    // A section's key=value lines in file order, names as spelled in the file,
    // values with surrounding blanks removed. Empty when the section is missing.
    std::vector<KeyValue> section(std::string_view section) const;

    // A key's value, or nothing when the section or the key is missing.
    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    // A key's value, or the empty text when the section or the key is missing.
    std::string value(std::string_view section, std::string_view key) const;

    // Changes the value of an existing key in memory. False, and nothing
    // changes, when the section or the key is missing.
    bool replace(std::string_view section, std::string_view key, std::string_view value);

    // Appends key=value after the last line of the section, or a new section
    // holding it at the end of the file when the section is missing.
    void add(std::string_view section, std::string_view key, std::string_view value);

    // Removes the key from the file on disk at once and from memory; other
    // changes still held in memory are not written by this. True when the key
    // was found and every needed write succeeded.
    bool deleteKey(std::string_view section, std::string_view key);

    // Writes the whole file (see writeFileAtomically) and clears the modified
    // mark. A store that read nothing from a missing file and holds nothing
    // creates no file; it still fails when the file's folder is gone, since
    // nothing asked of it could have been stored there.
    bool write();
    // Writes when modified; unmodified, false only for a missing file whose
    // folder is gone as well.
    bool close();

    // The bytes write() stores.
    std::string text() const;

    // For tests: called by write() between writing the temporary file and
    // renaming it; returning false abandons the write.
    void setBeforeRenameHook(BeforeRenameHook hook) { m_beforeRename = std::move(hook); }

private:
    // The line ending kept with each line; small, as a file of empty lines
    // holds one Line per byte.
    enum class Eol : unsigned char { None, Lf, CrLf };  // None: a last line without one
    struct Line {
        std::string text;  // without the line ending
        Eol eol = Eol::Lf;
    };

    // The lines of the section that starts at header index `header`: from the
    // header up to, not including, `end`.
    struct Range {
        std::size_t header;
        std::size_t end;
    };

    // Whether the file's folder is there, so that a missing file could be made.
    bool folderExists() const;
    std::optional<Range> findSection(std::string_view section) const;
    std::optional<std::size_t> findKey(std::string_view section, std::string_view key) const;
    Eol defaultEol() const;
    void insertLine(std::size_t at, std::string text);

    std::filesystem::path m_path;
    std::vector<Line> m_lines;
    std::string m_problem;
    bool m_existed = false;
    bool m_readFailed = false;
    bool m_modified = false;
    BeforeRenameHook m_beforeRename;
};

}  // namespace korvex
