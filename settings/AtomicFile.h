#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace korvex {

// Called after the new content is complete in the temporary file and before
// it is renamed over the target. Returning false abandons the write.
using BeforeRenameHook = std::function<bool(const std::filesystem::path& tempFile)>;

// Replaces the file at `target` with `bytes`, the one way every file of the
// program is saved. The bytes go to a fresh temporary file in the same folder
// (an unnamed one where the file system allows, else one created exclusively
// under a new name, never through a symbolic link), are written, synced and
// closed with every result checked, and the file is renamed over the target;
// then the folder is synced so that the rename survives a power cut.
// A kill, a crash or a full disk leaves either the old file or the new one,
// never part of one. An existing file keeps its permissions (and its owner
// where allowed); a symbolic link as target is followed, so the file it
// names is replaced.
// Temporary files are named "." + the target's name + ".korvex-save-" + a
// process number and a random part; a kill between the creation and the
// rename can leave one behind, and the next save into the same folder
// removes it.
// Returns false when anything failed (errno tells what); no temporary file is
// then left behind, and the old file is untouched unless only the final sync
// of the folder failed (the new file is then in place but may not survive a
// power cut).
bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         const BeforeRenameHook& beforeRename = {});

// New content for one file, complete and synced beside it, waiting to be
// renamed over the target. Lets a caller prepare several files before any of
// them changes. Discarded (the temporary file removed) unless committed.
class PendingFile {
public:
    // Prepares `bytes` for `target`; check ok() afterwards.
    PendingFile(const std::filesystem::path& target, std::string_view bytes);
    ~PendingFile();
    PendingFile(PendingFile&&) noexcept;
    PendingFile& operator=(PendingFile&&) noexcept;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    bool ok() const;
    // The temporary file's path while it waits (empty when not ok()).
    std::filesystem::path tempFile() const;
    // Renames the temporary file over the target and syncs the folder.
    // False when the rename failed (the target is then unchanged) or the
    // folder could not be synced.
    bool commit();
    // Removes the temporary file and leaves the target as it was.
    void discard();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The name part every temporary file of the writer carries; nothing the
// program opens by itself has it.
inline constexpr std::string_view kSaveTempMarker = ".korvex-save-";

// True for a name the writer gives its temporary files.
bool isSaveTempName(std::string_view fileName);

}  // namespace korvex
