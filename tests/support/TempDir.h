#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korvex::test {

// A folder of its own under /tmp for one test case, removed with everything
// in it at the end. A folder that cannot be made throws, which fails the
// test that asked for it.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "korvex-test") {
        std::string tmpl = "/tmp/" + prefix + "-XXXXXX";
        if (mkdtemp(tmpl.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed for " + tmpl);
        }
        m_path = tmpl;
        m_folder = m_path;
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    const std::string& path() const { return m_path; }
    const std::filesystem::path& folder() const { return m_folder; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }
    std::filesystem::path file(std::string_view name) const { return m_folder / name; }

private:
    std::string m_path;
    std::filesystem::path m_folder;
};

inline void writeBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The file, copied in blocks ("" when it cannot be opened; a read error part
// way ends it early): a character at a time is slow in the sanitizer build,
// where the save tests read files of megabytes thousands of times.
inline std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::move(bytes).str();
}

inline std::size_t entryCount(const std::filesystem::path& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++n;
    }
    return n;
}

}  // namespace korvex::test
