#include "settings/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace korvex {
namespace {

using test::entryCount;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

class IniFileTest : public ::testing::Test {
protected:
    IniFile openWith(std::string_view bytes) {
        writeBytes(m_file, bytes);
        return IniFile(m_file);
    }

    TempDir m_folder;
    std::filesystem::path m_file = m_folder.file("test.ini");
};

TEST_F(IniFileTest, NamesMatchWithoutRegardToCase) {
    IniFile ini = openWith("[common]\r\nPosX=12\r\n");
    EXPECT_EQ(ini.value("COMMON", "posx"), "12");
    EXPECT_EQ(ini.value("Common", "POSX"), "12");
    EXPECT_TRUE(ini.hasSection("COMMON"));
    EXPECT_EQ(ini.sectionNames(), std::vector<std::string>{"common"});
    EXPECT_TRUE(ini.replace("COMMON", "posx", "40"));
    EXPECT_EQ(ini.text(), "[common]\r\nPosX=40\r\n");
}

TEST_F(IniFileTest, ReadsValuesAsTheFileHoldsThem) {
    IniFile ini = openWith(
        "\xEF\xBB\xBF"
        "[A]\n"
        "; a comment\n"
        "  spaced  =  some value \t\n"
        "empty=\n"
        "eq=b=c\n"
        "; key=commented\n"
        "# other=commented\n"
        "no equals sign\n"
        "=no key\n"
        "dup=first\n"
        "dup=second\n"
        "cp1252=\xB0\xB0\xB0 \xE4\n"
        "[B]\n"
        "x=1\r\n"
        "last=no newline");
    struct Case {
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"A", "spaced", "some value"},
        {"A", "empty", ""},
        {"A", "eq", "b=c"},
        {"A", "key", std::nullopt},
        {"A", "# other", std::nullopt},
        {"A", "dup", "first"},
        {"A", "cp1252", "\xB0\xB0\xB0 \xE4"},
        {"A", "x", std::nullopt},
        {"B", "x", "1"},
        {"B", "last", "no newline"},
        {"C", "x", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(ini.find(c.section, c.key), c.expected);
        EXPECT_EQ(ini.value(c.section, c.key), c.expected.value_or(""));
    }
    const std::vector<IniFile::KeyValue> a = {
        {"spaced", "some value"}, {"empty", ""},     {"eq", "b=c"},
        {"dup", "first"},         {"dup", "second"}, {"cp1252", "\xB0\xB0\xB0 \xE4"}};
    EXPECT_EQ(ini.section("a"), a);
    EXPECT_TRUE(ini.section("missing").empty());
    EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"A", "B"}));
}

TEST_F(IniFileTest, WritesBackEveryByteItDidNotChange) {
    using namespace std::string_literals;
    const std::string original =
        "; comment \xE4\xF6\xFC\r\n"
        "\r\n"
        "[COMMON]\r\n"
        "posx = 10 \r\n"
        "name=\xB0\xB0\xB0\n"
        "\t\n"
        "[LOG]\n"
        "filepath=C:\\Logs\\x.log\n"
        "odd line\r\r\n"
        "nul=a\0b\n"
        "tail=1"s;
    ASSERT_NE(original.find(std::string_view("a\0b", 3)), std::string::npos);
    IniFile ini = openWith(original);
    EXPECT_FALSE(ini.modified());
    ASSERT_TRUE(ini.write());
    EXPECT_EQ(readBytes(m_file), original);
}

TEST_F(IniFileTest, ReplaceChangesOnlyExistingKeys) {
    IniFile ini = openWith("[COMMON]\r\nposx = 10\r\nposy=20\n[LOG]\r\naudio=0\r\n");
    EXPECT_TRUE(ini.replace("common", "POSX", "-5"));
    EXPECT_TRUE(ini.replace("LOG", "audio", "1"));
    EXPECT_FALSE(ini.replace("COMMON", "widthx", "300"));
    EXPECT_FALSE(ini.replace("AUDIO", "samplefreq", "11025"));
    EXPECT_TRUE(ini.modified());
    ASSERT_TRUE(ini.write());
    EXPECT_EQ(readBytes(m_file), "[COMMON]\r\nposx = -5\r\nposy=20\n[LOG]\r\naudio=1\r\n");
}

TEST_F(IniFileTest, ReplaceWithTheSameValueIsNoChange) {
    IniFile ini = openWith("[A]\nk=v\n");
    EXPECT_TRUE(ini.replace("A", "k", "v"));
    EXPECT_FALSE(ini.modified());
}

TEST_F(IniFileTest, LineBreaksInAValueCannotCreateKeys) {
    IniFile ini = openWith("[LOG]\nfilepath=old\n");
    ASSERT_TRUE(ini.replace("LOG", "filepath", "a\r\n[COMMON]\nsaveonexit=1"));
    ini.add("LOG", "other\n", "x\ry");
    ASSERT_TRUE(ini.write());
    IniFile reread(m_file);
    EXPECT_EQ(reread.sectionNames(), std::vector<std::string>{"LOG"});
    EXPECT_EQ(reread.value("LOG", "filepath"), "a[COMMON]saveonexit=1");
    EXPECT_EQ(reread.value("LOG", "other"), "xy");
}

TEST_F(IniFileTest, AddAppendsAtTheEndOfItsSection) {
    struct Case {
        const char* name;
        const char* before;
        const char* section;
        const char* after;
    };
    const Case cases[] = {
        {"before the blank line that ends the section", "[A]\nx=1\n\n[B]\ny=2\n", "a",
         "[A]\nx=1\nk=v\n\n[B]\ny=2\n"},
        {"in the last section", "[A]\nx=1\n[B]\ny=2\n", "B", "[A]\nx=1\n[B]\ny=2\nk=v\n"},
        {"after a comment that closes the section", "[A]\nx=1\n; note\n[B]\n", "A",
         "[A]\nx=1\n; note\nk=v\n[B]\n"},
        {"into an empty section", "[A]\n[B]\n", "A", "[A]\nk=v\n[B]\n"},
        {"a new section at the end", "[A]\nx=1\n", "C", "[A]\nx=1\n\n[C]\nk=v\n"},
        {"a new section in an empty file", "", "C", "[C]\nk=v\n"},
        {"with the file's line ending", "[A]\r\nx=1\r\n", "A", "[A]\r\nx=1\r\nk=v\r\n"},
        {"after a last line without a line ending", "[A]\r\nx=1", "A", "[A]\r\nx=1\r\nk=v\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IniFile ini = openWith(c.before);
        ini.add(c.section, "k", "v");
        EXPECT_TRUE(ini.modified());
        EXPECT_EQ(ini.text(), c.after);
    }
}

TEST_F(IniFileTest, DeleteActsOnTheFileAtOnce) {
    IniFile ini = openWith("[A]\nx=1\ny=2\n[B]\nz=3\n");
    ASSERT_TRUE(ini.replace("A", "x", "changed"));
    EXPECT_TRUE(ini.deleteKey("a", "Y"));
    // The key is gone from disk, the unwritten change is not on disk.
    EXPECT_EQ(readBytes(m_file), "[A]\nx=1\n[B]\nz=3\n");
    EXPECT_FALSE(ini.find("A", "y"));
    EXPECT_EQ(ini.value("A", "x"), "changed");
    EXPECT_FALSE(ini.deleteKey("A", "missing"));
    EXPECT_FALSE(ini.deleteKey("missing", "x"));
    EXPECT_EQ(readBytes(m_file), "[A]\nx=1\n[B]\nz=3\n");
}

TEST_F(IniFileTest, NoSizeLimitOnASectionOrTheSectionList) {
    std::string big = "[BIG]\r\n";
    for (int i = 0; i < 600; ++i) {
        big += "key" + std::to_string(i) + "=value of key number " + std::to_string(i) + "\r\n";
    }
    ASSERT_GT(big.size(), 2 * 8192u);
    std::string text = big + "[AFTER]\r\nlast=1\r\n";
    for (int i = 0; i < 1000; ++i) {
        text += "[SECTION_WITH_A_LONG_NAME_" + std::to_string(i) + "]\r\n";
    }

    IniFile ini = openWith(text);
    EXPECT_EQ(ini.section("BIG").size(), 600u);
    EXPECT_EQ(ini.value("BIG", "key599"), "value of key number 599");
    EXPECT_EQ(ini.value("AFTER", "last"), "1");
    EXPECT_EQ(ini.sectionNames().size(), 1002u);
    EXPECT_EQ(ini.sectionNames().back(), "SECTION_WITH_A_LONG_NAME_999");
    EXPECT_TRUE(ini.hasSection("section_with_a_long_name_999"));

    ASSERT_TRUE(ini.replace("AFTER", "last", "1"));
    ASSERT_TRUE(ini.write());
    EXPECT_EQ(readBytes(m_file), text);
}

TEST_F(IniFileTest, AbandonedWriteLeavesTheOldFileAndNoTemporaryFile) {
    IniFile ini = openWith("[A]\nx=old\n");
    std::filesystem::path seenTemp;
    ini.setBeforeRenameHook([&](const std::filesystem::path& temp) {
        seenTemp = temp;
        EXPECT_EQ(temp.parent_path(), m_file.parent_path());
        EXPECT_EQ(readBytes(temp), "[A]\nx=new\n");
        return false;
    });
    ASSERT_TRUE(ini.replace("A", "x", "new"));
    EXPECT_FALSE(ini.write());
    EXPECT_TRUE(ini.modified());
    EXPECT_EQ(readBytes(m_file), "[A]\nx=old\n");
    EXPECT_FALSE(seenTemp.empty());
    EXPECT_EQ(entryCount(m_folder.folder()), 1u);
}

TEST_F(IniFileTest, CrashBetweenWriteAndRenameLeavesTheOldFile) {
    writeBytes(m_file, "[A]\nx=old\n");
    EXPECT_EXIT(
        {
            IniFile ini(m_file);
            ini.setBeforeRenameHook([](const std::filesystem::path&) -> bool { std::_Exit(3); });
            ini.replace("A", "x", "new");
            ini.write();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(readBytes(m_file), "[A]\nx=old\n");
    IniFile after(m_file);
    EXPECT_EQ(after.value("A", "x"), "old");
}

TEST_F(IniFileTest, FailedWritesReportFailure) {
    IniFile inMissingFolder(m_folder.file("no such folder") / "test.ini");
    inMissingFolder.add("A", "x", "1");
    EXPECT_FALSE(inMissingFolder.write());

    // A path that exists but cannot be read is never overwritten.
    const auto folderAsFile = m_folder.file("a folder");
    std::filesystem::create_directory(folderAsFile);
    IniFile unreadable;
    EXPECT_FALSE(unreadable.open(folderAsFile));
    unreadable.add("A", "x", "1");
    EXPECT_FALSE(unreadable.write());
    EXPECT_FALSE(unreadable.deleteKey("A", "x"));
    EXPECT_TRUE(std::filesystem::is_directory(folderAsFile));
}

TEST_F(IniFileTest, MissingFileReadsAsEmptyAndIsCreatedOnlyWithContent) {
    IniFile ini;
    EXPECT_TRUE(ini.open(m_file));
    EXPECT_TRUE(ini.sectionNames().empty());
    EXPECT_EQ(ini.value("A", "x"), "");
    EXPECT_FALSE(ini.replace("A", "x", "1"));
    EXPECT_TRUE(ini.write());
    EXPECT_FALSE(std::filesystem::exists(m_file));

    ini.add("A", "x", "1");
    EXPECT_TRUE(ini.close());
    EXPECT_EQ(readBytes(m_file), "[A]\nx=1\n");
}

TEST_F(IniFileTest, WriteKeepsPermissionsAndFollowsALink) {
    writeBytes(m_file, "[A]\nx=1\n");
    ::chmod(m_file.c_str(), 0640);
    const auto link = m_folder.file("link.ini");
    std::filesystem::create_symlink(m_file, link);

    IniFile ini(link);
    ASSERT_TRUE(ini.replace("A", "x", "2"));
    ASSERT_TRUE(ini.write());

    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readBytes(m_file), "[A]\nx=2\n");
    struct stat st {};
    ASSERT_EQ(::stat(m_file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
}  // namespace korvex
