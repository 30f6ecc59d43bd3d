#include "database/DbaseFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <shapefil.h>
#include <unistd.h>

#include "database/DbaseLayout.h"
#include "database/TableFileLock.h"
#include "model/BoundedFile.h"

namespace korvex::db {

namespace {

// One file opened by shapelib through our hooks.
struct HookFile {
    FILE* fp = nullptr;
    bool dirty = false;   // written since the last sync
    bool failed = false;  // a write or sync failed: every later write is refused
    int error = 0;
};

// The path shapelib is to open: it builds "<stem>.dbf" and "<stem>.DBF" from
// the name it is given and would miss "x.Dbf"; the hook opens the checked
// file instead. Also catches the HookFile so the caller can see its state.
thread_local const std::filesystem::path* tOpenTarget = nullptr;
thread_local HookFile* tOpened = nullptr;
thread_local std::string tShapelibMessage;

std::atomic<AppendFaultHook> gFaultHook{nullptr};

HookFile* hookFile(SAFile file) {
    return reinterpret_cast<HookFile*>(file);
}

bool endsWithDbf(const char* name) {
    const std::size_t n = std::strlen(name);
    return n >= 4 && name[n - 4] == '.' && (name[n - 3] | 0x20) == 'd' &&
           (name[n - 2] | 0x20) == 'b' && (name[n - 1] | 0x20) == 'f';
}

void syncFile(HookFile* f) {
    if (std::fflush(f->fp) != 0 || ::fsync(fileno(f->fp)) != 0) {
        f->failed = true;
        f->error = errno;
    }
    f->dirty = false;
}

SAFile hookOpen(const char* name, const char* access) {
    // The code page file is read by the engine itself.
    if (tOpenTarget == nullptr || !endsWithDbf(name)) {
        return nullptr;
    }
    // Opened without waiting and only as a regular file: a FIFO swapped in
    // after the layout was checked holds nothing up.
    const bool update = std::strchr(access, '+') != nullptr;
    ReadFailure failure = ReadFailure::None;
    int error = 0;
    std::size_t size = 0;
    const int fd = openRegularFile(*tOpenTarget, update ? O_RDWR : O_RDONLY, failure, error, size);
    if (fd < 0) {
        tShapelibMessage = failure == ReadFailure::NotRegular && error == 0
                               ? "it is no regular file"
                               : std::strerror(error);
        return nullptr;
    }
    FILE* fp = ::fdopen(fd, access);
    if (fp == nullptr) {
        ::close(fd);
        return nullptr;
    }
    auto* f = new HookFile;
    f->fp = fp;
    tOpened = f;
    return reinterpret_cast<SAFile>(f);
}

SAOffset hookRead(void* p, SAOffset size, SAOffset count, SAFile file) {
    return std::fread(p, size, count, hookFile(file)->fp);
}

SAOffset hookWrite(void* p, SAOffset size, SAOffset count, SAFile file) {
    HookFile* f = hookFile(file);
    if (f->failed) {
        return 0;
    }
    f->dirty = true;
    const SAOffset written = std::fwrite(p, size, count, f->fp);
    if (written != count) {
        f->failed = true;
        f->error = errno;
    }
    return written;
}

SAOffset hookSeek(SAFile file, SAOffset offset, int whence) {
    HookFile* f = hookFile(file);
    // shapelib writes a new record, then seeks to the start to rewrite the
    // header: the record must be on disk before the header counts it.
    if (offset == 0 && whence == SEEK_SET && f->dirty && !f->failed) {
        syncFile(f);
        const AppendFaultHook hook = gFaultHook.load();
        if (!f->failed && hook != nullptr && !hook(AppendStep::WriteHeader)) {
            f->failed = true;
            f->error = EIO;
        }
    }
    if (offset > static_cast<SAOffset>(LONG_MAX)) {
        return 1;
    }
    return std::fseek(f->fp, static_cast<long>(offset), whence) == 0 ? 0 : 1;
}

SAOffset hookTell(SAFile file) {
    return static_cast<SAOffset>(std::ftell(hookFile(file)->fp));
}

int hookFlush(SAFile file) {
    HookFile* f = hookFile(file);
    if (f->failed) {
        return EOF;
    }
    syncFile(f);
    return f->failed ? EOF : 0;
}

int hookClose(SAFile file) {
    HookFile* f = hookFile(file);
    const int rc = std::fclose(f->fp);
    delete f;
    return rc;
}

int hookRemove(const char*) {
    return -1;
}

void hookError(const char* message) {
    tShapelibMessage = message;
}

double hookAtof(const char* text) {
    return std::strtod(text, nullptr);
}

SAHooks makeHooks() {
    SAHooks hooks{};
    hooks.FOpen = hookOpen;
    hooks.FRead = hookRead;
    hooks.FWrite = hookWrite;
    hooks.FSeek = hookSeek;
    hooks.FTell = hookTell;
    hooks.FFlush = hookFlush;
    hooks.FClose = hookClose;
    hooks.Remove = hookRemove;
    hooks.Error = hookError;
    hooks.Atof = hookAtof;
    return hooks;
}

// Opens through shapelib; the HookFile of the opened file in `opened`.
DBFHandle openWithHooks(const std::filesystem::path& file, const char* access, HookFile** opened) {
    SAHooks hooks = makeHooks();
    tOpenTarget = &file;
    tOpened = nullptr;
    DBFHandle handle = DBFOpenLL(file.c_str(), access, &hooks);
    tOpenTarget = nullptr;
    if (opened != nullptr) {
        *opened = handle != nullptr ? tOpened : nullptr;
    }
    return handle;
}

// Whether shapelib read the layout the check saw.
bool matchesLayout(DBFHandle handle, const DbaseLayout& layout) {
    if (DBFGetRecordCount(handle) != static_cast<int>(layout.recordCount) ||
        DBFGetFieldCount(handle) != static_cast<int>(layout.fields.size()) ||
        handle->nRecordLength != static_cast<int>(layout.recordLength) ||
        handle->nHeaderLength != static_cast<int>(layout.headerLength)) {
        return false;
    }
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        const DbaseFieldLayout& field = layout.fields[i];
        if (handle->panFieldOffset[i] != field.offset || handle->panFieldSize[i] != field.width ||
            handle->pachFieldType[i] != field.type) {
            return false;
        }
    }
    return true;
}

bool sameLayout(const DbaseLayout& a, const DbaseLayout& b) {
    if (a.headerLength != b.headerLength || a.recordLength != b.recordLength ||
        a.fields.size() != b.fields.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.fields.size(); ++i) {
        const DbaseFieldLayout& x = a.fields[i];
        const DbaseFieldLayout& y = b.fields[i];
        if (x.name != y.name || x.type != y.type || x.width != y.width ||
            x.decimals != y.decimals || x.offset != y.offset) {
            return false;
        }
    }
    return true;
}

std::string readRange(const std::filesystem::path& file, std::uint64_t offset, std::uint64_t size) {
    std::string error;
    std::uint64_t fileSize = 0;
    std::string bytes;
    const int fd = openDbaseFile(file, O_RDONLY, error, fileSize);
    if (fd >= 0) {
        readDbaseBytes(fd, offset, static_cast<std::size_t>(size), bytes);
        ::close(fd);
    }
    return bytes;
}

bool writeAll(int fd, std::string_view bytes, std::uint64_t offset) {
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

// Puts back the header and the bytes an append overwrote, and the old size.
void restoreFile(const std::filesystem::path& file, std::string_view header, std::uint64_t tailAt,
                 std::string_view tail, std::uint64_t size) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    writeAll(fd, header, 0);
    writeAll(fd, tail, tailAt);
    if (::ftruncate(fd, static_cast<off_t>(size)) == 0) {
        ::fsync(fd);
    }
    ::close(fd);
}

}  // namespace

struct DbaseReader::Handle {
    DBFHandle dbf;
};

DbaseReader::DbaseReader(std::unique_ptr<Handle> handle) : m_handle(std::move(handle)) {}

std::unique_ptr<DbaseReader> DbaseReader::open(const std::filesystem::path& file,
                                               const DbaseLayout& layout, std::string& error) {
    tShapelibMessage.clear();
    DBFHandle dbf = openWithHooks(file, "rb", nullptr);
    if (dbf == nullptr) {
        error = "The file " + file.filename().string() + " cannot be opened" +
                (tShapelibMessage.empty() ? std::string(".") : ": " + tShapelibMessage);
        return nullptr;
    }
    if (!matchesLayout(dbf, layout)) {
        DBFClose(dbf);
        error = "The file " + file.filename().string() + " changed while it was opened.";
        return nullptr;
    }
    return std::unique_ptr<DbaseReader>(new DbaseReader(std::make_unique<Handle>(Handle{dbf})));
}

DbaseReader::~DbaseReader() {
    DBFClose(m_handle->dbf);
}

std::string_view DbaseReader::record(int index) {
    if (index < 0 || index >= DBFGetRecordCount(m_handle->dbf)) {
        return {};
    }
    const char* bytes = DBFReadTuple(m_handle->dbf, index);
    if (bytes == nullptr) {
        return {};
    }
    return {bytes, static_cast<std::size_t>(m_handle->dbf->nRecordLength)};
}

bool appendDbaseRecord(const std::filesystem::path& file, const DbaseLayout& layout,
                       std::string_view record, std::string& error) {
    const std::string name = file.filename().string();
    // Two appends of this program (two slots, two instances) take turns;
    // the layout and the count are read under the lock.
    const TableFileLock lock(file, true);
    const auto current = readDbaseLayout(file, error);
    if (!current) {
        return false;
    }
    if (!sameLayout(*current, layout) || record.size() != layout.recordLength) {
        error = "The table " + name + " was changed by another program. Connect to it again.";
        return false;
    }
    if (current->recordCount >= static_cast<std::uint32_t>(INT_MAX)) {
        error = "The table " + name + " is full.";
        return false;
    }
    const auto count = static_cast<int>(current->recordCount);
    const std::uint64_t recordAt = current->recordOffset(current->recordCount);
    const std::string header = readRange(file, 0, 32);
    const std::string tail =
        recordAt < current->fileSize
            ? readRange(file, recordAt,
                        std::min<std::uint64_t>(current->fileSize - recordAt, record.size() + 1))
            : std::string();

    HookFile* hooked = nullptr;
    DBFHandle handle = openWithHooks(file, "rb+", &hooked);
    if (handle == nullptr || hooked == nullptr) {
        error =
            "The table " + name + " cannot be opened for writing: " + std::strerror(errno) + ".";
        if (handle != nullptr) {
            DBFClose(handle);
        }
        return false;
    }
    if (!matchesLayout(handle, *current)) {
        hooked->failed = true;
        DBFClose(handle);
        error = "The table " + name + " was changed by another program. Connect to it again.";
        return false;
    }
    bool ok = DBFWriteTuple(handle, count, const_cast<char*>(record.data())) != 0;
    const AppendFaultHook hook = gFaultHook.load();
    if (ok && hook != nullptr && !hook(AppendStep::WriteRecord)) {
        hooked->failed = true;
        hooked->error = EIO;
    }
    if (ok) {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        DBFSetLastModifiedDate(handle, local.tm_year, local.tm_mon + 1, local.tm_mday);
        // Writes the record and the end mark, syncs (hookSeek), then the
        // header with the new count, and syncs again (hookFlush).
        DBFUpdateHeader(handle);
    }
    ok = ok && !hooked->failed;
    const int cause = hooked->error;
    // A handle that failed must not write its header when it is closed.
    hooked->failed = hooked->failed || !ok;
    DBFClose(handle);

    if (!ok) {
        restoreFile(file, header, recordAt, tail, current->fileSize);
        error = "The record could not be written to " + name + ": " +
                (cause != 0 ? std::strerror(cause) : "write error") + ".";
        return false;
    }
    std::string checkError;
    const auto after = readDbaseLayout(file, checkError);
    if (!after || after->recordCount != current->recordCount + 1) {
        error = "The record was written to " + name + " but the table does not read back.";
        return false;
    }
    return true;
}

void setAppendFaultHookForTesting(AppendFaultHook hook) {
    gFaultHook.store(hook);
}

}  // namespace korvex::db
