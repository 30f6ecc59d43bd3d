#pragma once

// A .dbf file read and appended to through shapelib, only after its layout
// has been checked (DbaseLayout). shapelib's file access goes through our own
// I/O hooks: they open the checked path whatever the case of its extension,
// keep shapelib's messages off stderr, and make an append durable in order.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "database/DbaseLayout.h"

namespace korvex::db {

class DbaseReader {
public:
    // Opens a checked file for reading; nullptr and a message when shapelib
    // sees another layout than the check did (the file changed in between).
    static std::unique_ptr<DbaseReader> open(const std::filesystem::path& file,
                                             const DbaseLayout& layout, std::string& error);
    ~DbaseReader();
    DbaseReader(const DbaseReader&) = delete;
    DbaseReader& operator=(const DbaseReader&) = delete;

    // The raw bytes of a record (the deletion flag first), or an empty view
    // when it cannot be read (the file shrank since the check).
    std::string_view record(int index);

private:
    struct Handle;
    explicit DbaseReader(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> m_handle;
};

// Appends one record (`record` holds recordLength bytes, the deletion flag
// first) to a table whose layout must still be `layout`. The record and the
// end-of-file mark are written and synced before the header's count and date
// change, so that a failure or a kill at any moment leaves a file with every
// earlier record; after a failure the file's old bytes are put back.
bool appendDbaseRecord(const std::filesystem::path& file, const DbaseLayout& layout,
                       std::string_view record, std::string& error);

// A point inside an append where tests inject a failure (or end the process)
// to check what a reader sees there.
enum class AppendStep {
    WriteRecord,  // before the record is written
    WriteHeader,  // the record is on disk, the header not yet updated
};
// Called at every step; returning false makes that step fail. Tests only.
using AppendFaultHook = bool (*)(AppendStep);
void setAppendFaultHookForTesting(AppendFaultHook hook);

}  // namespace korvex::db
