#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace korvex {

// Called after the new content is complete in the temporary file and before
// it is renamed over the target. Returning false abandons the write.
using BeforeRenameHook = std::function<bool(const std::filesystem::path& tempFile)>;

// Replaces the file at `target` with `bytes`: the bytes go to a temporary file
// in the same folder, are flushed to disk, and the temporary file is renamed
// over the target. A crash or a full disk leaves either the old file or the
// new one, never part of one. An existing file keeps its permissions; a
// symbolic link is followed, so the file it names is replaced.
// Returns false when anything failed; the old file is then untouched and no
// temporary file is left behind.
bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         const BeforeRenameHook& beforeRename = {});

}  // namespace korvex
