// Each save killed with SIGKILL at many moments from the start of the child
// that performs it to past its end: the target is always the old file or the
// new one, whole, and what a kill leaves behind is only a temporary file of
// the writer, which the next save removes. What the save writes is built
// before the child starts, as the program holds it before the command, so
// the kills fall on the writing itself: opening the temporary file, the
// writes, the syncs, the renames.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <random>

#include "settings/AtomicFile.h"
#include "tests/saves/SaveCases.h"
#include "tests/support/TempDir.h"
#include "ui/SweepFile.h"

namespace korvex::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kKills = 60;

class SaveKillTest : public ::testing::TestWithParam<SaveCase> {
protected:
    // A fresh folder with the files as they are before the save: made once,
    // then copied.
    fs::path freshFolder(const std::string& name) {
        const fs::path original = m_root / "original";
        if (!fs::exists(original)) {
            fs::create_directories(original);
            GetParam().setUp(original, true);
        }
        const fs::path folder = m_root / name;
        std::error_code ec;
        fs::remove_all(folder, ec);
        fs::copy(original, folder, fs::copy_options::recursive);
        return folder;
    }

    std::vector<std::optional<std::string>> contents(const fs::path& folder) const {
        std::vector<std::optional<std::string>> bytes;
        for (const fs::path& target : GetParam().targets) {
            bytes.push_back(readIfThere(folder / target));
        }
        return bytes;
    }

    // Starts the prepared save in a child; kills it after `delay` unless
    // negative. Returns the child's wait status.
    static int runChild(const std::function<bool()>& save, std::chrono::nanoseconds delay) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::_exit(save() ? 0 : 1);
        }
        if (delay.count() >= 0) {
            const timespec pause{static_cast<time_t>(delay.count() / 1000000000),
                                 static_cast<long>(delay.count() % 1000000000)};
            ::nanosleep(&pause, nullptr);
            ::kill(child, SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return status;
    }

    TempDir m_temp{"korvex-save-kill"};
    const fs::path& m_root = m_temp.folder();
};

TEST_P(SaveKillTest, KilledAnywhereLeavesTheOldOrTheNewFileAndNoTemporaryFile) {
    const SaveCase& save = GetParam();

    // The files before and after a save that runs to its end, and how long
    // the child that performs it takes.
    const fs::path reference = freshFolder("reference");
    const auto before = contents(reference);
    const auto saveReference = save.prepare(reference, true);
    Clock::duration longest{};
    for (int i = 0; i < 3; ++i) {
        freshFolder("reference");
        const auto start = Clock::now();
        const int status = runChild(saveReference, std::chrono::nanoseconds(-1));
        longest = std::max(longest, Clock::now() - start);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << save.name;
    }
    const auto after = contents(reference);
    for (std::size_t i = 0; i < after.size(); ++i) {
        ASSERT_TRUE(after[i].has_value());
        ASSERT_NE(before[i], after[i]) << save.targets[i];
    }

    const auto saveRun = save.prepare(m_root / "run", true);
    std::map<std::string, int> outcomes;
    // Kills the save after `delay` and checks what it left.
    const auto killAt = [&](std::chrono::nanoseconds delay) {
        const fs::path folder = freshFolder("run");
        runChild(saveRun, delay);

        const auto now = contents(folder);
        std::string outcome;
        for (std::size_t i = 0; i < now.size(); ++i) {
            const bool isOld = now[i] == before[i];
            const bool isNew = now[i] == after[i];
            ASSERT_TRUE(isOld || isNew) << save.name << ": " << save.targets[i]
                                        << " is torn after a kill at " << delay.count() << " ns";
            outcome += isNew ? "new" : "old";
        }
        if (now.size() == 2) {
            // The picture is renamed before the CSV: a new CSV never stands
            // beside an old picture, and a new picture beside the old CSV
            // names a CSV other than the one beside it.
            ASSERT_NE(outcome, "newold") << save.name;
            if (outcome == "oldnew") {
                EXPECT_EQ(now[1]->find(sweepDigest(*now[0])), std::string::npos);
            }
        }
        ++outcomes[outcome];

        // Anything else in the folders is a temporary file of the writer,
        // which no reader of the program opens; the next save removes it.
        std::size_t left = 0;
        for (const fs::path& target : save.targets) {
            const fs::path dir = (folder / target).parent_path();
            for (const auto& entry : fs::directory_iterator(dir)) {
                const std::string name = entry.path().filename().string();
                bool known = false;
                for (const fs::path& t : save.targets) {
                    known = known || (folder / t) == entry.path();
                }
                if (!known) {
                    EXPECT_TRUE(isSaveTempName(name)) << save.name << ": " << name;
                    ++left;
                }
            }
        }
        if (left > 0) {
            ++outcomes["temporary file left"];
            const int status = runChild(saveRun, std::chrono::nanoseconds(-1));
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            for (const fs::path& target : save.targets) {
                EXPECT_TRUE(tempFilesIn((folder / target).parent_path()).empty()) << save.name;
            }
        }
    };
    std::mt19937 random(12345);
    for (int kill = 0; kill < kKills && !HasFatalFailure(); ++kill) {
        // From the moment the child starts to a quarter past the end of a
        // whole save, with some jitter so that no two runs kill alike.
        const double share = (kill + std::uniform_real_distribution<>(0, 1)(random)) / kKills;
        killAt(std::chrono::duration_cast<std::chrono::nanoseconds>(longest * 1.25 * share));
    }
    std::string oldAll;
    std::string newAll;
    for (std::size_t i = 0; i < save.targets.size(); ++i) {
        oldAll += "old";
        newAll += "new";
    }
    // A machine that got busier after the whole saves were timed slows the
    // children, and every kill may fall before the end: kill later and
    // later until one falls after it.
    for (auto delay = longest * 2;
         outcomes[newAll] == 0 && !HasFatalFailure() && delay < std::chrono::seconds(60);
         delay *= 2) {
        killAt(std::chrono::duration_cast<std::chrono::nanoseconds>(delay));
    }
    if (HasFatalFailure()) {
        return;
    }
    std::string summary;
    for (const auto& [outcome, count] : outcomes) {
        summary += " " + outcome + "=" + std::to_string(count);
    }
    std::printf("%s (a whole save takes %lld us):%s\n", save.name.c_str(),
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::microseconds>(longest).count()),
                summary.c_str());
    // The kills fell both before and after the rename.
    EXPECT_GT(outcomes[oldAll], 0) << save.name << summary;
    EXPECT_GT(outcomes[newAll], 0) << save.name << summary;
}

INSTANTIATE_TEST_SUITE_P(EverySave, SaveKillTest, ::testing::ValuesIn(allSaves()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace korvex::test
