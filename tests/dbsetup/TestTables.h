#pragma once

// Tables the fixtures do not have, made byte by byte.

#include <cstdint>
#include <string>
#include <vector>

namespace korvex::test {

// A dBASE III table with the fields FREQ N(10,4), ACTIVE L(1) and NAME C(12);
// each record is a frequency, "T" or "F", and a Windows-1252 name.
struct DbaseRow {
    std::string freq;  // right-aligned in 10 characters
    char active = 'T';
    std::string name;  // left-aligned in 12 characters
};

inline std::string dbaseWithLogicalField(const std::vector<DbaseRow>& rows) {
    struct FieldSpec {
        const char* name;
        char type;
        std::uint8_t length;
        std::uint8_t decimals;
    };
    const FieldSpec fields[] = {{"FREQ", 'N', 10, 4}, {"ACTIVE", 'L', 1, 0}, {"NAME", 'C', 12, 0}};
    const std::uint16_t headerSize = 32 + 32 * 3 + 1;
    const std::uint16_t recordSize = 1 + 10 + 1 + 12;
    const auto count = static_cast<std::uint32_t>(rows.size());

    std::string out(32, '\0');
    out[0] = 0x03;
    out[1] = 124;  // 2024-03-15
    out[2] = 3;
    out[3] = 15;
    for (int i = 0; i < 4; ++i) {
        out[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
    }
    out[8] = static_cast<char>(headerSize & 0xFF);
    out[9] = static_cast<char>(headerSize >> 8);
    out[10] = static_cast<char>(recordSize & 0xFF);
    out[11] = static_cast<char>(recordSize >> 8);
    for (const FieldSpec& f : fields) {
        std::string d(32, '\0');
        d.replace(0, std::string(f.name).size(), f.name);
        d[11] = f.type;
        d[16] = static_cast<char>(f.length);
        d[17] = static_cast<char>(f.decimals);
        out += d;
    }
    out += '\x0D';
    for (const DbaseRow& row : rows) {
        out += ' ';
        out += std::string(10 - row.freq.size(), ' ') + row.freq;
        out += row.active;
        out += row.name + std::string(12 - row.name.size(), ' ');
    }
    out += '\x1A';
    return out;
}

}  // namespace korvex::test
