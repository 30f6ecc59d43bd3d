#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace korvex::test {

// A folder of its own under /tmp for one test case, removed with everything
// in it at the end.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "korvex-test") {
        std::string tmpl = "/tmp/" + prefix + "-XXXXXX";
        if (mkdtemp(tmpl.data()) != nullptr) {
            m_path = tmpl;
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        if (!m_path.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_path, ignored);
        }
    }

    // Empty when the folder could not be made.
    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

}  // namespace korvex::test
