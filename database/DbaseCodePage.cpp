#include "database/DbaseCodePage.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iterator>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "database/DbaseLayout.h"

namespace korvex::db {

namespace {

constexpr const char* kDefaultCodePage = "CP1252";

// Language-driver bytes as the dBASE family and its successors wrote them.
constexpr std::pair<std::uint8_t, const char*> kLanguageDrivers[] = {
    {0x01, "CP437"},
    {0x02, "CP850"},
    {0x03, "CP1252"},
    {0x04, "MACINTOSH"},
    {0x08, "CP865"},
    {0x09, "CP437"},
    {0x0A, "CP850"},
    {0x0B, "CP437"},
    {0x0D, "CP437"},
    {0x0E, "CP850"},
    {0x0F, "CP437"},
    {0x10, "CP850"},
    {0x11, "CP437"},
    {0x12, "CP850"},
    {0x13, "CP932"},
    {0x14, "CP850"},
    {0x15, "CP437"},
    {0x16, "CP850"},
    {0x17, "CP865"},
    {0x18, "CP437"},
    {0x19, "CP437"},
    {0x1A, "CP850"},
    {0x1B, "CP437"},
    {0x1C, "CP863"},
    {0x1D, "CP850"},
    {0x1F, "CP852"},
    {0x22, "CP852"},
    {0x23, "CP852"},
    {0x24, "CP860"},
    {0x25, "CP850"},
    {0x26, "CP866"},
    {0x37, "CP850"},
    {0x40, "CP852"},
    {0x4D, "CP936"},
    {0x4E, "CP949"},
    {0x4F, "CP950"},
    {0x50, "CP874"},
    {0x57, "CP1252"},
    {0x58, "CP1252"},
    {0x59, "CP1252"},
    {0x64, "CP852"},
    {0x65, "CP866"},
    {0x66, "CP865"},
    {0x67, "CP861"},
    {0x6A, "CP737"},
    {0x6B, "CP857"},
    {0x6C, "CP863"},
    {0x78, "CP950"},
    {0x79, "CP949"},
    {0x7A, "CP936"},
    {0x7B, "CP932"},
    {0x7C, "CP874"},
    {0x7D, "CP1255"},
    {0x7E, "CP1256"},
    {0x86, "CP737"},
    {0x87, "CP852"},
    {0x88, "CP857"},
    {0x96, "MAC-CYRILLIC"},
    {0x97, "MAC-CENTRALEUROPE"},
    {0x98, "MACGREEK"},
    {0xC8, "CP1250"},
    {0xC9, "CP1251"},
    {0xCA, "CP1254"},
    {0xCB, "CP1253"},
    {0xCC, "CP1257"},
};

bool iconvKnows(const std::string& name) {
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    iconv_close(cd);
    return true;
}

bool allDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Runs one conversion; `onBadByte` decides what an unconvertible input byte
// becomes (false: give up).
template <typename OnBad>
bool convert(iconv_t cd, std::string_view in, std::string& out, OnBad onBadByte) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.clear();
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buffer[256];
    while (srcLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (rc == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) {
                continue;
            }
            // EILSEQ or EINVAL: an unconvertible or incomplete sequence.
            if (!onBadByte(out)) {
                return false;
            }
            ++src;
            --srcLeft;
        }
    }
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    return true;
}

}  // namespace

std::string codePageOfLanguageDriver(std::uint8_t ldid) {
    for (const auto& [id, name] : kLanguageDrivers) {
        if (id == ldid) {
            return name;
        }
    }
    return {};
}

std::string codePageOfCpgText(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 40) {
        return {};
    }
    std::string upper;
    for (char c : text) {
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::string name = upper;
    if (upper == "65001" || upper == "UTF8") {
        name = "UTF-8";
    } else if (upper.starts_with("8859")) {
        std::string part = upper.substr(4);
        if (!part.empty() && (part.front() == '-' || part.front() == '_')) {
            part.erase(0, 1);
        }
        name = "ISO-8859-" + part;
    } else if (allDigits(upper)) {
        name = "CP" + upper;
    } else if (upper.starts_with("ANSI ") && allDigits(upper.substr(5))) {
        name = "CP" + upper.substr(5);
    }
    return iconvKnows(name) ? name : std::string();
}

std::string dbaseCodePage(const std::filesystem::path& dbf, std::uint8_t ldid) {
    if (std::string name = codePageOfLanguageDriver(ldid); !name.empty()) {
        return name;
    }
    // The .cpg file has the table's stem and an extension in any case.
    std::error_code ec;
    const std::string stem = dbf.stem().string();
    for (const auto& entry : std::filesystem::directory_iterator(dbf.parent_path(), ec)) {
        const auto& p = entry.path();
        std::string ext = p.extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (ext != ".cpg" || p.stem().string() != stem || !entry.is_regular_file(ec)) {
            continue;
        }
        std::string error;
        std::uint64_t size = 0;
        const int fd = openDbaseFile(p, O_RDONLY, error, size);
        if (fd < 0) {
            continue;
        }
        std::string text;
        readDbaseBytes(fd, 0, 64, text);
        ::close(fd);
        if (std::string name = codePageOfCpgText(text); !name.empty()) {
            return name;
        }
    }
    return kDefaultCodePage;
}

TextCodec::TextCodec(const std::string& codePage) : m_codePage(codePage) {
    m_toUtf8 = iconv_open("UTF-8", m_codePage.c_str());
    m_fromUtf8 = iconv_open(m_codePage.c_str(), "UTF-8");
    if (m_toUtf8 == reinterpret_cast<iconv_t>(-1) || m_fromUtf8 == reinterpret_cast<iconv_t>(-1)) {
        if (m_toUtf8 != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(m_toUtf8);
        }
        if (m_fromUtf8 != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(m_fromUtf8);
        }
        m_codePage = kDefaultCodePage;
        m_toUtf8 = iconv_open("UTF-8", m_codePage.c_str());
        m_fromUtf8 = iconv_open(m_codePage.c_str(), "UTF-8");
    }
}

TextCodec::~TextCodec() {
    iconv_close(m_toUtf8);
    iconv_close(m_fromUtf8);
}

std::string TextCodec::toUtf8(std::string_view bytes) const {
    if (isAscii(bytes)) {
        return std::string(bytes);
    }
    std::string out;
    convert(m_toUtf8, bytes, out, [](std::string& o) {
        o += "\xEF\xBF\xBD";
        return true;
    });
    return out;
}

std::optional<std::string> TextCodec::fromUtf8(std::string_view text) const {
    if (isAscii(text)) {
        return std::string(text);
    }
    std::string out;
    if (!convert(m_fromUtf8, text, out, [](std::string&) { return false; })) {
        return std::nullopt;
    }
    return out;
}

}  // namespace korvex::db
