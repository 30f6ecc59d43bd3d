#include "database/ExcelWorkbook.h"

#include <fcntl.h>
#include <freexl.h>
#include <iconv.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "database/MemoryTable.h"
#include "model/BoundedFile.h"
#include "model/CloseRequest.h"

namespace korvex::db {

namespace {

// A sheet with more cells than this is refused rather than read; the whole
// workbook may not hold more either.
constexpr std::uint64_t kMaxCells = kTableCellLimit;
// What the reading child may send: every cell at most kCellByteLimit long
// would be far more, so this bounds the bytes themselves.
constexpr std::size_t kMaxChildBytes = std::size_t{256} * 1024 * 1024;
// How long the child may take before it counts as hung.
constexpr auto kReadTimeout = std::chrono::seconds(60);

// Error codes of our own, beside FreeXL's negative ones.
constexpr std::int32_t kPasswordProtected = 1;
constexpr std::int32_t kTooLarge = 2;

std::string freexlReason(std::int32_t code) {
    switch (code) {
        case kPasswordProtected:
            return "it is password protected";
        case kTooLarge:
            return "it has too many cells";
        case FREEXL_FILE_NOT_FOUND:
            return "the file does not exist or cannot be opened";
        case FREEXL_INSUFFICIENT_MEMORY:
            return "not enough memory";
        case FREEXL_INVALID_CFBF_HEADER:
        case FREEXL_CFBF_INVALID_SIGNATURE:
            return "it is no Excel workbook";
        case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
            return "it holds no workbook";
        case FREEXL_UNSUPPORTED_CHARSET:
            return "its character set is not supported";
        case FREEXL_CFBF_READ_ERROR:
        case FREEXL_CFBF_SEEK_ERROR:
            return "it is truncated or cannot be read";
        default:
            return "it is damaged (error " + std::to_string(code) + ")";
    }
}

// ---- the child's side: FreeXL's cells into bytes ----

class Writer {
public:
    void byte(std::uint8_t v) { m_out.push_back(static_cast<char>(v)); }
    void u32(std::uint32_t v) { m_out.append(reinterpret_cast<const char*>(&v), sizeof v); }
    void i32(std::int32_t v) { m_out.append(reinterpret_cast<const char*>(&v), sizeof v); }
    void f64(double v) { m_out.append(reinterpret_cast<const char*>(&v), sizeof v); }
    void text(std::string_view s) {
        u32(static_cast<std::uint32_t>(s.size()));
        m_out.append(s);
    }
    std::string& bytes() { return m_out; }

private:
    std::string m_out;
};

XlsCell readCell(const void* handle, unsigned row, unsigned short column) {
    FreeXL_CellValue value{};
    XlsCell cell;
    if (freexl_get_cell_value(handle, row, column, &value) != FREEXL_OK) {
        return cell;
    }
    switch (value.type) {
        case FREEXL_CELL_INT:
            cell.kind = XlsCell::Kind::Number;
            cell.number = value.value.int_value;
            break;
        case FREEXL_CELL_DOUBLE:
            cell.kind = XlsCell::Kind::Number;
            cell.number = value.value.double_value;
            break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            if (value.value.text_value == nullptr || value.value.text_value[0] == '\0') {
                break;
            }
            cell.kind = value.type == FREEXL_CELL_TEXT || value.type == FREEXL_CELL_SST_TEXT
                            ? XlsCell::Kind::Text
                            : XlsCell::Kind::Date;
            cell.text = value.value.text_value;
            break;
        default:
            break;
    }
    return cell;
}

void writeSheet(Writer& out, const void* handle, unsigned short index) {
    const char* name = nullptr;
    std::int32_t code = freexl_get_worksheet_name(handle, index, &name);
    out.text(code == FREEXL_OK && name != nullptr ? name : "");
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (code == FREEXL_OK) {
        code = freexl_select_active_worksheet(handle, index);
    }
    if (code == FREEXL_OK) {
        code = freexl_worksheet_dimensions(handle, &rows, &columns);
    }
    if (code == FREEXL_OK && static_cast<std::uint64_t>(rows) * columns > kMaxCells) {
        code = kTooLarge;
    }
    if (code != FREEXL_OK) {
        out.byte(0);
        out.i32(code);
        return;
    }
    out.byte(1);
    // Only the cells that hold something, and the rows up to the last such.
    Writer cells;
    std::uint32_t count = 0;
    std::uint32_t usedRows = 0;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            const XlsCell cell = readCell(handle, r, c);
            if (cell.kind == XlsCell::Kind::Empty) {
                continue;
            }
            ++count;
            usedRows = r + 1;
            cells.u32(r);
            cells.u32(c);
            cells.byte(static_cast<std::uint8_t>(cell.kind));
            if (cell.kind == XlsCell::Kind::Number) {
                cells.f64(cell.number);
            } else {
                cells.text(cell.text);
            }
        }
    }
    out.u32(usedRows);
    out.u32(columns);
    out.u32(count);
    out.bytes() += cells.bytes();
}

std::string readInThisProcess(const std::filesystem::path& file) {
    Writer out;
    const void* handle = nullptr;
    // FreeXL wants its handle closed even after a failed open.
    std::int32_t code = freexl_open(file.c_str(), &handle);
    unsigned int info = 0;
    if (code == FREEXL_OK && freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED) {
        code = kPasswordProtected;
    }
    unsigned int sheets = 0;
    if (code == FREEXL_OK) {
        code = freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    }
    if (code != FREEXL_OK) {
        out.byte('E');
        out.i32(code);
    } else {
        out.byte('W');
        out.byte(freexl_get_info(handle, FREEXL_BIFF_DATEMODE, &info) == FREEXL_OK &&
                         info == FREEXL_BIFF_DATEMODE_1904
                     ? 1
                     : 0);
        const unsigned short count = sheets > 0xFFFF ? 0xFFFF : static_cast<unsigned short>(sheets);
        out.u32(count);
        for (unsigned short i = 0; i < count; ++i) {
            writeSheet(out, handle, i);
        }
    }
    if (handle != nullptr) {
        freexl_close(handle);
    }
    return std::move(out.bytes());
}

// ---- the parent's side: bytes into cells, checking every length ----

class Reader {
public:
    explicit Reader(std::string_view bytes) : m_in(bytes) {}

    bool byte(std::uint8_t& v) { return take(&v, sizeof v); }
    bool u32(std::uint32_t& v) { return take(&v, sizeof v); }
    bool i32(std::int32_t& v) { return take(&v, sizeof v); }
    bool f64(double& v) { return take(&v, sizeof v); }
    bool text(std::string& s) {
        std::uint32_t size = 0;
        if (!u32(size) || size > m_in.size() || size > kCellByteLimit) {
            return false;
        }
        s.assign(m_in.substr(0, size));
        m_in.remove_prefix(size);
        return true;
    }
    bool atEnd() const { return m_in.empty(); }

private:
    bool take(void* out, std::size_t size) {
        if (m_in.size() < size) {
            return false;
        }
        std::memcpy(out, m_in.data(), size);
        m_in.remove_prefix(size);
        return true;
    }
    std::string_view m_in;
};

bool readSheet(Reader& in, XlsSheet& sheet, std::uint64_t budget, bool& overBudget) {
    std::uint8_t ok = 0;
    if (!in.text(sheet.name) || !in.byte(ok)) {
        return false;
    }
    if (ok == 0) {
        std::int32_t code = 0;
        if (!in.i32(code)) {
            return false;
        }
        sheet.error = freexlReason(code);
        return true;
    }
    std::uint32_t rows = 0;
    std::uint32_t columns = 0;
    std::uint32_t count = 0;
    if (!in.u32(rows) || !in.u32(columns) || !in.u32(count)) {
        return false;
    }
    if (static_cast<std::uint64_t>(rows) * columns > budget) {
        overBudget = true;
        return false;
    }
    sheet.rows = rows;
    sheet.columns = columns;
    sheet.cells.resize(static_cast<std::size_t>(rows) * columns);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t row = 0;
        std::uint32_t column = 0;
        std::uint8_t kind = 0;
        if (!in.u32(row) || !in.u32(column) || !in.byte(kind) || row >= rows || column >= columns ||
            kind < 1 || kind > 3) {
            return false;
        }
        XlsCell& cell = sheet.cells[static_cast<std::size_t>(row) * columns + column];
        cell.kind = static_cast<XlsCell::Kind>(kind);
        if (!(cell.kind == XlsCell::Kind::Number ? in.f64(cell.number) : in.text(cell.text))) {
            return false;
        }
    }
    return true;
}

// The child of a fork(): a copy of a program that may run other threads. It
// must never return into the program's code (an exception included), never
// run the program's signal handlers or exit handlers, and never outlive the
// program or its own time limit.
[[noreturn]] void runChild(const std::filesystem::path& file, int out, pid_t parent) {
    struct sigaction dflt {};
    dflt.sa_handler = SIG_DFL;
    sigemptyset(&dflt.sa_mask);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGALRM, SIGCHLD}) {
        ::sigaction(sig, &dflt, nullptr);
    }
    sigset_t all;
    sigemptyset(&all);
    ::sigprocmask(SIG_SETMASK, &all, nullptr);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) {
        ::_exit(1);
    }
    ::alarm(static_cast<unsigned>(kReadTimeout.count()) + 5);
    try {
        const std::string bytes = readInThisProcess(file);
        std::string_view rest = bytes;
        while (!rest.empty()) {
            const ssize_t n = ::write(out, rest.data(), rest.size());
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                ::_exit(1);
            }
            rest.remove_prefix(static_cast<std::size_t>(n));
        }
    } catch (...) {
        ::_exit(1);
    }
    ::_exit(0);
}

// glibc loads a character converter's module with dlopen() on first use.
// fork() does not carry the dynamic loader's lock into the child, so a
// thread loading a library at the moment of the fork would leave a child
// that loads a converter waiting until it is killed. Converters this process
// holds open stay loaded, and the child finds FreeXL's usual one without
// loading anything.
void keepConverterLoaded() {
    static const iconv_t kept = ::iconv_open("UTF-8", "CP1252");
    static_cast<void>(kept);
}

// Runs readInThisProcess() in a child and collects its bytes. False when the
// child failed, crashed or hung.
bool readInChild(const std::filesystem::path& file, std::string& bytes, bool& tooLarge,
                 bool& cancelled) {
    // A stop signal ends the wait: the close does not wait for the child.
    const int closeFd = closeRequestFd();
    if (closeRequested()) {
        cancelled = true;
        return false;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    keepConverterLoaded();
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (child == 0) {
        ::close(fds[0]);
        runChild(file, fds[1], parent);
    }
    ::close(fds[1]);
    const auto deadline = std::chrono::steady_clock::now() + kReadTimeout;
    bool complete = false;
    char buffer[65536];
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd pfd[2] = {{fds[0], POLLIN, 0}, {closeFd, POLLIN, 0}};
        const int ready = ::poll(pfd, closeFd >= 0 ? 2 : 1, static_cast<int>(left.count()));
        if (closeRequested()) {
            cancelled = true;
            break;
        }
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            break;
        }
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            complete = n == 0;
            break;
        }
        if (bytes.size() + static_cast<std::size_t>(n) > kMaxChildBytes) {
            tooLarge = true;
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    if (!complete) {
        ::kill(child, SIGKILL);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return complete && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::optional<XlsWorkbook> readWorkbook(const std::filesystem::path& file, std::string& error) {
    const std::string shown = "The file \"" + file.string() + "\" cannot be read: ";
    std::string bytes;
    bool tooLarge = false;
    bool cancelled = false;
    if (!readInChild(file, bytes, tooLarge, cancelled)) {
        error = shown + (cancelled ? std::string("the program is closing.")
                         : tooLarge
                             ? "it gives more than " + byteCountText(kMaxChildBytes) + " of cells."
                             : std::string("it is damaged."));
        return std::nullopt;
    }
    Reader in(bytes);
    std::uint8_t tag = 0;
    if (!in.byte(tag) || (tag != 'E' && tag != 'W')) {
        error = shown + "it is damaged.";
        return std::nullopt;
    }
    if (tag == 'E') {
        std::int32_t code = 0;
        error = shown + (in.i32(code) ? freexlReason(code) : std::string("it is damaged")) + ".";
        return std::nullopt;
    }
    XlsWorkbook workbook;
    std::uint8_t dates1904 = 0;
    std::uint32_t count = 0;
    if (!in.byte(dates1904) || !in.u32(count) || count > 0xFFFF) {
        error = shown + "it is damaged.";
        return std::nullopt;
    }
    workbook.dates1904 = dates1904 != 0;
    std::uint64_t cells = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        XlsSheet sheet;
        bool overBudget = false;
        if (!readSheet(in, sheet, kMaxCells - cells, overBudget)) {
            error = shown + (overBudget ? "its sheets hold more than " + countText(kMaxCells) +
                                              " cells in all."
                                        : std::string("it is damaged."));
            return std::nullopt;
        }
        cells += static_cast<std::uint64_t>(sheet.rows) * sheet.columns;
        workbook.sheets.push_back(std::move(sheet));
    }
    if (!in.atEnd()) {
        error = shown + "it is damaged.";
        return std::nullopt;
    }
    return workbook;
}

}  // namespace korvex::db
