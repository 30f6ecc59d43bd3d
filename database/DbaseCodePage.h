#pragma once

// The code page of a .dbf file's texts and the conversion to and from UTF-8.
// The header's language-driver byte names it; a table without one may have a
// .cpg file beside it; Windows-1252 otherwise.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <iconv.h>

namespace korvex::db {

// The iconv name for a language-driver byte; empty for 0 and unknown bytes.
std::string codePageOfLanguageDriver(std::uint8_t ldid);

// The iconv name for the text of a .cpg file ("1252", "UTF-8", "ISO-8859-1",
// "CP1251" ...); empty when the text names no code page iconv knows.
std::string codePageOfCpgText(std::string_view text);

// The code page of the table file `dbf` with language-driver byte `ldid`.
std::string dbaseCodePage(const std::filesystem::path& dbf, std::uint8_t ldid);

// Converts between one code page and UTF-8. Not shared between threads.
class TextCodec {
public:
    explicit TextCodec(const std::string& codePage);
    ~TextCodec();
    TextCodec(const TextCodec&) = delete;
    TextCodec& operator=(const TextCodec&) = delete;

    const std::string& codePage() const { return m_codePage; }
    // Bytes that are no character of the code page become U+FFFD.
    std::string toUtf8(std::string_view bytes) const;
    // Nullopt when the text holds a character the code page lacks.
    std::optional<std::string> fromUtf8(std::string_view text) const;

private:
    std::string m_codePage;
    iconv_t m_toUtf8;
    iconv_t m_fromUtf8;
};

}  // namespace korvex::db
