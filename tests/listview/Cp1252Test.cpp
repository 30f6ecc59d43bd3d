#include <gtest/gtest.h>

#include "ui/Cp1252.h"

namespace korvex {
namespace {

struct ByteCase {
    unsigned char byte;
    char16_t unicode;
};

TEST(Cp1252, BytesMapToTheirCodePoints) {
    const ByteCase cases[] = {{0x41, u'A'},   {0xB0, 0x00B0}, {0x80, 0x20AC}, {0x8A, 0x0160},
                              {0x96, 0x2013}, {0x9F, 0x0178}, {0x81, 0x0081}, {0x9D, 0x009D},
                              {0xA0, 0x00A0}, {0xE4, 0x00E4}, {0xFF, 0x00FF}, {0x00, 0x0000}};
    for (const ByteCase& c : cases) {
        const std::string bytes(1, static_cast<char>(c.byte));
        EXPECT_EQ(fromCp1252(bytes), QString(QChar(c.unicode))) << int(c.byte);
        EXPECT_EQ(toCp1252(QString(QChar(c.unicode))), bytes) << int(c.byte);
    }
}

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(toCp1252(fromCp1252(all)), all);
}

TEST(Cp1252, EmptyMarkerShowsAsDegreeSigns) {
    EXPECT_EQ(fromCp1252("\xB0\xB0\xB0"), QStringLiteral("°°°"));
}

TEST(Cp1252, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(toCp1252(QStringLiteral("a\u4E2Db")), "a?b");
    // A character outside the basic plane is one "?", not two.
    EXPECT_EQ(toCp1252(QString::fromUcs4(U"x\U0001F600y")), "x?y");
}

}  // namespace
}  // namespace korvex
