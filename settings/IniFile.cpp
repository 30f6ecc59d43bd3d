#include "settings/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "model/BoundedFile.h"

namespace korvex {

namespace {

constexpr std::string_view kBlanks = " \t\r";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view eolText(unsigned char eol) {
    return eol == 2   ? std::string_view("\r\n")
           : eol == 1 ? std::string_view("\n")
                      : std::string_view();
}

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

bool isBlank(std::string_view s) {
    return s.find_first_not_of(kBlanks) == std::string_view::npos;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

// A line break inside a name or value would split it into lines of its own
// and could smuggle in a key or a section.
std::string withoutLineBreaks(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c != '\r' && c != '\n') {
            out.push_back(c);
        }
    }
    return out;
}

struct ParsedLine {
    enum class Kind { Other, Section, Key };
    Kind kind = Kind::Other;
    std::string_view name;
    std::string_view value;
    std::size_t valueStart = 0;  // offset in the line where the value begins
};

ParsedLine parseLine(std::string_view text, bool firstLine) {
    ParsedLine parsed;
    std::size_t offset = 0;
    if (firstLine && text.starts_with(kUtf8Bom)) {
        offset = kUtf8Bom.size();
    }
    const std::string_view body = text.substr(offset);
    const std::string_view trimmed = trim(body);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') {
        return parsed;
    }
    if (trimmed.front() == '[') {
        const auto close = trimmed.find(']');
        if (close != std::string_view::npos) {
            parsed.kind = ParsedLine::Kind::Section;
            parsed.name = trim(trimmed.substr(1, close - 1));
        }
        return parsed;
    }
    const auto eq = body.find('=');
    if (eq == std::string_view::npos) {
        return parsed;
    }
    const std::string_view key = trim(body.substr(0, eq));
    if (key.empty()) {
        return parsed;
    }
    std::size_t valueStart = eq + 1;
    while (valueStart < body.size() && (body[valueStart] == ' ' || body[valueStart] == '\t')) {
        ++valueStart;
    }
    parsed.kind = ParsedLine::Kind::Key;
    parsed.name = key;
    parsed.value = trim(body.substr(eq + 1));
    parsed.valueStart = offset + valueStart;
    return parsed;
}

}  // namespace

bool IniFile::open(const std::filesystem::path& path) {
    m_path = path;
    m_lines.clear();
    m_problem.clear();
    m_existed = false;
    m_readFailed = false;
    m_modified = false;

    BoundedFile file = readFileBounded(path, kIniFileLimit);
    if (file.failure == ReadFailure::Open && file.error == ENOENT) {
        return true;
    }
    m_existed = true;
    if (!file) {
        m_readFailed = true;
        m_problem = "The file\n" + path.string() + "\n";
        if (file.failure == ReadFailure::TooLarge) {
            m_problem += "is larger than " + byteCountText(kIniFileLimit) + " and is not used.";
        } else if (file.failure == ReadFailure::NotRegular) {
            m_problem += "is no regular file and is not used.";
        } else {
            m_problem += "cannot be read: " + std::string(std::strerror(file.error));
        }
        return false;
    }

    const std::string& data = file.bytes;
    const auto lines = static_cast<std::size_t>(std::count(data.begin(), data.end(), '\n')) +
                       (data.empty() || data.back() == '\n' ? 0 : 1);
    if (lines > kIniLineLimit) {
        m_readFailed = true;
        m_problem = "The file\n" + path.string() + "\nhas more than " + countText(kIniLineLimit) +
                    " lines and is not used.";
        return false;
    }
    m_lines.reserve(lines);
    std::size_t pos = 0;
    while (pos < data.size()) {
        const auto newline = data.find('\n', pos);
        if (newline == std::string::npos) {
            m_lines.push_back({data.substr(pos), Eol::None});
            break;
        }
        std::size_t end = newline;
        Eol eol = Eol::Lf;
        if (end > pos && data[end - 1] == '\r') {
            --end;
            eol = Eol::CrLf;
        }
        m_lines.push_back({data.substr(pos, end - pos), eol});
        pos = newline + 1;
    }
    return true;
}

std::vector<std::string> IniFile::sectionNames() const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const auto parsed = parseLine(m_lines[i].text, i == 0);
        if (parsed.kind != ParsedLine::Kind::Section) {
            continue;
        }
        const bool seen = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
            return equalsNoCase(n, parsed.name);
        });
        if (!seen) {
            names.emplace_back(parsed.name);
        }
    }
    return names;
}

bool IniFile::hasSection(std::string_view section) const {
    return findSection(section).has_value();
}

std::vector<IniFile::KeyValue> IniFile::section(std::string_view section) const {
    std::vector<KeyValue> entries;
    const auto range = findSection(section);
    if (!range) {
        return entries;
    }
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        const auto parsed = parseLine(m_lines[i].text, false);
        if (parsed.kind == ParsedLine::Kind::Key) {
            entries.emplace_back(std::string(parsed.name), std::string(parsed.value));
        }
    }
    return entries;
}

std::optional<std::string> IniFile::find(std::string_view section, std::string_view key) const {
    const auto index = findKey(section, key);
    if (!index) {
        return std::nullopt;
    }
    return std::string(parseLine(m_lines[*index].text, false).value);
}

std::string IniFile::value(std::string_view section, std::string_view key) const {
    return find(section, key).value_or(std::string());
}

bool IniFile::replace(std::string_view section, std::string_view key, std::string_view value) {
    const auto index = findKey(section, key);
    if (!index) {
        return false;
    }
    Line& line = m_lines[*index];
    const auto parsed = parseLine(line.text, false);
    std::string text = line.text.substr(0, parsed.valueStart) + withoutLineBreaks(value);
    if (text != line.text) {
        line.text = std::move(text);
        m_modified = true;
    }
    return true;
}

void IniFile::add(std::string_view section, std::string_view key, std::string_view value) {
    std::string line = withoutLineBreaks(key) + "=" + withoutLineBreaks(value);
    if (const auto range = findSection(section)) {
        // After the section's last non-blank line, so that blank lines that
        // separate it from the next section stay where they are.
        std::size_t last = range->header;
        for (std::size_t i = range->header + 1; i < range->end; ++i) {
            if (!isBlank(m_lines[i].text)) {
                last = i;
            }
        }
        insertLine(last + 1, std::move(line));
    } else {
        if (!m_lines.empty() && !isBlank(m_lines.back().text)) {
            insertLine(m_lines.size(), "");
        }
        insertLine(m_lines.size(), "[" + withoutLineBreaks(section) + "]");
        insertLine(m_lines.size(), std::move(line));
    }
    m_modified = true;
}

bool IniFile::deleteKey(std::string_view section, std::string_view key) {
    bool found = false;
    if (const auto index = findKey(section, key)) {
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*index));
        found = true;
    }
    if (m_readFailed) {
        return false;
    }

    // The file on disk may differ from memory by changes not yet written;
    // only the key's removal goes to disk now.
    IniFile onDisk;
    if (!onDisk.open(m_path)) {
        return false;
    }
    const auto index = onDisk.findKey(section, key);
    if (!index) {
        return found;
    }
    onDisk.m_lines.erase(onDisk.m_lines.begin() + static_cast<std::ptrdiff_t>(*index));
    onDisk.m_beforeRename = m_beforeRename;
    return onDisk.write();
}

bool IniFile::write() {
    if (m_readFailed) {
        return false;
    }
    if (!m_existed && m_lines.empty()) {
        m_modified = false;
        return folderExists();
    }
    if (!writeFileAtomically(m_path, text(), m_beforeRename)) {
        return false;
    }
    m_existed = true;
    m_modified = false;
    return true;
}

bool IniFile::close() {
    if (m_modified) {
        return write();
    }
    return m_existed || folderExists();
}

bool IniFile::folderExists() const {
    const std::filesystem::path folder = m_path.parent_path();
    std::error_code ec;
    return folder.empty() || std::filesystem::is_directory(folder, ec);
}

std::string IniFile::text() const {
    std::string out;
    for (const Line& line : m_lines) {
        out += line.text;
        out += eolText(static_cast<unsigned char>(line.eol));
    }
    return out;
}

std::optional<IniFile::Range> IniFile::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const auto parsed = parseLine(m_lines[i].text, i == 0);
        if (parsed.kind != ParsedLine::Kind::Section || !equalsNoCase(parsed.name, section)) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < m_lines.size() &&
               parseLine(m_lines[end].text, false).kind != ParsedLine::Kind::Section) {
            ++end;
        }
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> IniFile::findKey(std::string_view section, std::string_view key) const {
    const auto range = findSection(section);
    if (!range) {
        return std::nullopt;
    }
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        const auto parsed = parseLine(m_lines[i].text, false);
        if (parsed.kind == ParsedLine::Kind::Key && equalsNoCase(parsed.name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

IniFile::Eol IniFile::defaultEol() const {
    for (const Line& line : m_lines) {
        if (line.eol != Eol::None) {
            return line.eol;
        }
    }
    return Eol::Lf;
}

void IniFile::insertLine(std::size_t at, std::string text) {
    const Eol eol = defaultEol();
    if (at > 0 && m_lines[at - 1].eol == Eol::None) {
        m_lines[at - 1].eol = eol;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), eol});
}

}  // namespace korvex
