#pragma once

// The saves of the program as a test runs them: each sets up the files as
// they were before, and performs the save the way its command does.

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace korvex::test {

struct SaveCase {
    std::string name;
    // The files the save replaces, relative to the case's folder. The sweep
    // has two: the CSV first, then the picture.
    std::vector<std::filesystem::path> targets;
    // Writes the files as they are before the save; `large` makes the save
    // long enough to be killed at many points.
    std::function<void(const std::filesystem::path& folder, bool large)> setUp;
    // Builds what the save writes (as the program has it in memory before
    // the command) and returns the save itself: true when it reports success.
    std::function<std::function<bool()>(const std::filesystem::path& folder, bool large)> prepare;

    // Prepares and performs the save.
    bool save(const std::filesystem::path& folder, bool large) const {
        return prepare(folder, large)();
    }
};

std::vector<SaveCase> allSaves();

inline void PrintTo(const SaveCase& save, std::ostream* out) {
    *out << save.name;
}

std::optional<std::string> readIfThere(const std::filesystem::path& file);
void writePlain(const std::filesystem::path& file, const std::string& bytes);
// Names in `folder` that the writer gives its temporary files.
std::vector<std::string> tempFilesIn(const std::filesystem::path& folder);

}  // namespace korvex::test
