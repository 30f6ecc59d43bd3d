#pragma once

// Windows-1252 bytes to and from Unicode, for the places where Qt shows or
// takes the receiver's, the files' and the user's texts. Header-only, so
// every Qt library of the program can use it without a link dependency.

#include <QString>
#include <QStringView>
#include <array>
#include <string>
#include <string_view>

namespace korvex {

namespace cp1252detail {

// Code points of the bytes 0x80..0x9F. The five bytes the code page leaves
// undefined map to the C1 control of the same number, so every byte string
// survives a round trip.
inline constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace cp1252detail

inline QChar cp1252ToChar(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return QChar(cp1252detail::kHighControls[byte - 0x80]);
    }
    return QChar(static_cast<char16_t>(byte));
}

inline QString fromCp1252(std::string_view bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        out.append(cp1252ToChar(static_cast<unsigned char>(c)));
    }
    return out;
}

// A character the code page cannot hold becomes "?", as the system's own
// conversion does; a surrogate pair counts as one character.
inline std::string toCp1252(QStringView text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.push_back(static_cast<char>(u));
            continue;
        }
        char mapped = '?';
        for (std::size_t k = 0; k < cp1252detail::kHighControls.size(); ++k) {
            if (cp1252detail::kHighControls[k] == u) {
                mapped = static_cast<char>(0x80 + k);
                break;
            }
        }
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        }
        out.push_back(mapped);
    }
    return out;
}

inline std::string toCp1252(const QString& text) {
    return toCp1252(QStringView(text));
}

}  // namespace korvex
