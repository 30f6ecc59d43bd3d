#pragma once

#include <filesystem>

namespace korvex::db {

// An advisory lock on a table file while it lives: appends hold it
// exclusively, opening a table holds it shared, so that a reader never sees
// an append half way and two appends (two slots, two instances of the
// program) take turns. It locks the file the path names once the lock is
// held: a file replaced by a rename while this waited is locked afresh, so
// that an append which replaces the whole file excludes the next one too.
// (None when the file cannot be opened.)
class TableFileLock {
public:
    TableFileLock(const std::filesystem::path& file, bool exclusive);
    ~TableFileLock();
    TableFileLock(const TableFileLock&) = delete;
    TableFileLock& operator=(const TableFileLock&) = delete;

    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

}  // namespace korvex::db
