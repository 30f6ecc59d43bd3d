// The Help menu: the files it opens, the message when that fails, the about box.
#include <QAction>
#include <QCoreApplication>
#include <QLabel>

#include "FrameFixture.h"

namespace korvex::test {
namespace {

struct HelpCase {
    CommandId id;
    const char* file;
};
const HelpCase kHelpCases[] = {{CommandId::HelpContents, "Help/korvhlp.pdf"},
                               {CommandId::HelpShortcuts, "Help/shortcuts.txt"},
                               {CommandId::HelpLicense, "license.txt"}};

QString expectedPath(const char* file) {
    return QDir(programDataFolder(QCoreApplication::applicationDirPath()))
        .absoluteFilePath(QString::fromLatin1(file));
}

using FrameHelpTest = FrameTest;

TEST_F(FrameHelpTest, EachHelpCommandOpensItsFile) {
    auto opener = std::make_shared<FakeOpener>(true);
    frame->setFileOpener(opener);
    for (const HelpCase& c : kHelpCases) {
        auto modal = captureNextModal();
        frame->action(c.id)->trigger();
        QTest::qWait(60);
        EXPECT_FALSE(modal->seen) << c.file;
        ASSERT_FALSE(opener->opened.empty());
        EXPECT_EQ(opener->opened.back(), expectedPath(c.file));
    }
}

TEST_F(FrameHelpTest, AFailedOpenShowsTheFullPath) {
    frame->setFileOpener(std::make_shared<FakeOpener>(false));
    for (const HelpCase& c : kHelpCases) {
        auto modal = captureNextModal();
        frame->action(c.id)->trigger();
        ASSERT_TRUE(modal->seen) << c.file;
        EXPECT_EQ(modal->text, "error while trying to open\n" + expectedPath(c.file));
    }
}

TEST_F(FrameHelpTest, F1OpensTheManual) {
    auto opener = std::make_shared<FakeOpener>(true);
    frame->setFileOpener(opener);
    QTest::keyClick(frame.get(), Qt::Key_F1);
    ASSERT_EQ(opener->opened.size(), 1u);
    EXPECT_TRUE(opener->opened[0].endsWith("Help/korvhlp.pdf"));
}

TEST_F(FrameHelpTest, TheRealOpenerRefusesAMissingFile) {
    DesktopFileOpener opener;
    EXPECT_FALSE(opener.open(filePath("no-such-file.pdf")));
}

TEST_F(FrameHelpTest, AboutBoxShowsTheProgramNameAndOk) {
    auto modal = captureNextModal();
    frame->action(CommandId::HelpAbout)->trigger();
    ASSERT_TRUE(modal->seen);
    EXPECT_EQ(modal->title, "About AR8600");
    EXPECT_TRUE(modal->labels.contains("Korv Control  v1.20"));
    EXPECT_EQ(modal->buttons, QStringList{"OK"});
}

TEST(ProgramDataFolder, BuildTreeThenInstalledShare) {
    QTemporaryDir root;
    const QString bin = root.filePath("bin");
    QDir().mkpath(bin);
    QDir().mkpath(root.filePath("share/korvex"));
    // Installed: nothing beside the program, the files under share/korvex.
    EXPECT_EQ(programDataFolder(bin), QDir::cleanPath(root.filePath("share/korvex")));
    // Build tree: the files beside the program win.
    writeText((bin + "/license.txt").toStdString(), "x");
    EXPECT_EQ(programDataFolder(bin), bin);
}

}  // namespace
}  // namespace korvex::test
