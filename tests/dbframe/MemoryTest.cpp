// Memory that runs out in what the operator starts on the databases: the
// action ends with a message box and the program goes on, with nothing left
// half done that would spoil the next try.
#include <fstream>

#include "tests/dbframe/FrameDbTest.h"
#include "tests/support/FailingNew.h"

namespace korvex::test {
namespace {

constexpr std::size_t kFailFrom = 1u << 20;
const std::string kPlainText = "Not enough memory to complete this command.";

class DbMemoryTest : public FrameDbTest {
protected:
    // A comma-separated table long enough that reading it needs more than
    // kFailFrom bytes in one piece.
    std::filesystem::path bigCsv() {
        const std::filesystem::path file = folder.dir() / "long.csv";
        std::ofstream out(file, std::ios::binary);
        out << "FREQ,MODE,NAME\r\n";
        for (int i = 0; i < 40000; ++i) {
            out << 100 + i / 1000 << '.' << i % 1000 << ",NFM,Station " << i << "\r\n";
        }
        return file;
    }
};

TEST_F(DbMemoryTest, AConnectThatRunsOutOfMemoryLeavesTheSlotFreeForTheNextTry) {
    folder.configure(1, bigCsv(), "Text;", kFreqFields);
    {
        const AllocationFailure failure(kFailFrom);
        trigger(CommandId::ConnectDb1);
    }
    ASSERT_FALSE(prompts.empty());
    EXPECT_EQ(prompts.back().text.toStdString(), kPlainText);
    EXPECT_FALSE(frame->hasShutDown());
    prompts.clear();
    trigger(CommandId::ConnectDb1);
    EXPECT_TRUE(prompts.empty()) << prompts[0].text.toStdString();
    EXPECT_TRUE(frame->action(CommandId::ConnectDb1)->isChecked());
    showDatabase();
    EXPECT_EQ(view().itemCount(), 15000);
}

}  // namespace
}  // namespace korvex::test
