// ar8600-sim: the simulated AR8600 on a pseudo-terminal. Prints the device
// path on the first line of standard output, logs every received command as
// "<ms since start>\t<command>" and runs until SIGINT or SIGTERM. The band
// it hears is the built-in one (--seed picks its traffic) or a script
// (--scenario FILE).

#include <signal.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "simulator/PtySimulator.h"

namespace {

const char* const kUsage =
    "usage: ar8600-sim [--link PATH] [--baud N] [--pace] [--log FILE]\n"
    "                  [--no-reply WORD]... [--refuse WORD]... [--late WORD:MS]...\n"
    "                  [--split] [--garbage]\n"
    "                  [--stay-off] [--mark2] [--flood-levels PER_SECOND]\n"
    "                  [--scenario FILE [--scenario-from WORD] | --seed N]\n";

bool parsePositive(const char* text, int* value) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v <= 0 || v > 1'000'000) {
        return false;
    }
    *value = static_cast<int>(v);
    return true;
}

bool parseSeed(const char* text, uint32_t* seed) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || *text == '-' || v > UINT32_MAX) {
        return false;
    }
    *seed = static_cast<uint32_t>(v);
    return true;
}

struct BandArguments {
    std::string scenarioPath;
    bool seedGiven = false;
    uint32_t seed = korvex::sim::kDefaultScenarioSeed;
};

// Fills the options from the command line; false on a usage error.
bool parseArguments(int argc, char** argv, korvex::sim::PtyOptions* options, std::string* logPath,
                    BandArguments* band) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--pace") {
            options->pace = true;
        } else if (arg == "--split") {
            options->faults.split = true;
        } else if (arg == "--garbage") {
            options->faults.garbage = true;
        } else if (arg == "--stay-off") {
            options->faults.stayOffAfterPowerOff = true;
        } else if (arg == "--mark2") {
            options->receiver.markTwo = true;
        } else if (arg == "--link" && hasValue) {
            options->linkPath = argv[++i];
        } else if (arg == "--log" && hasValue) {
            *logPath = argv[++i];
        } else if (arg == "--baud" && hasValue) {
            if (!parsePositive(argv[++i], &options->baudRate)) {
                return false;
            }
        } else if (arg == "--flood-levels" && hasValue) {
            if (!parsePositive(argv[++i], &options->faults.floodLevelsPerSecond)) {
                return false;
            }
        } else if (arg == "--no-reply" && hasValue) {
            options->faults.noReply.emplace_back(argv[++i]);
        } else if (arg == "--refuse" && hasValue) {
            options->faults.refuse.emplace_back(argv[++i]);
        } else if (arg == "--late" && hasValue) {
            const std::string value = argv[++i];
            const auto colon = value.rfind(':');
            int ms = 0;
            if (colon == std::string::npos || colon == 0 ||
                !parsePositive(value.c_str() + colon + 1, &ms)) {
                return false;
            }
            options->faults.late.emplace_back(value.substr(0, colon), ms);
        } else if (arg == "--scenario" && hasValue) {
            band->scenarioPath = argv[++i];
        } else if (arg == "--scenario-from" && hasValue) {
            options->scenarioFrom = argv[++i];
            if (options->scenarioFrom.empty()) {
                return false;
            }
        } else if (arg == "--seed" && hasValue) {
            if (!parseSeed(argv[++i], &band->seed)) {
                return false;
            }
            band->seedGiven = true;
        } else {
            return false;
        }
    }
    // A script has no seeded traffic; only a script's start can wait.
    return (band->scenarioPath.empty() || !band->seedGiven) &&
           (options->scenarioFrom.empty() || !band->scenarioPath.empty());
}

}  // namespace

int main(int argc, char** argv) {
    korvex::sim::PtyOptions options;
    std::string logPath;
    BandArguments band;
    if (argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!parseArguments(argc, argv, &options, &logPath, &band)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!band.scenarioPath.empty()) {
        std::string error;
        options.scenario = korvex::sim::readScenarioFile(band.scenarioPath, &error);
        if (!options.scenario) {
            std::fprintf(stderr, "ar8600-sim: %s\n", error.c_str());
            return 1;
        }
    } else if (band.seedGiven) {
        options.scenario = korvex::sim::defaultScenario(band.seed);
    }

    FILE* log = stderr;
    if (!logPath.empty()) {
        log = std::fopen(logPath.c_str(), "w");
        if (log == nullptr) {
            std::fprintf(stderr, "ar8600-sim: cannot open %s: %s\n", logPath.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    options.onCommand = [log](const korvex::sim::ReceivedCommand& c) {
        std::fprintf(log, "%lld\t%s\n", static_cast<long long>(c.ms),
                     korvex::sim::printableCommand(c.text).c_str());
        std::fflush(log);
    };

    // Block the stop signals before the simulator's thread starts, so only
    // sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    korvex::sim::PtySimulator simulator(options);
    std::string error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "ar8600-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", simulator.devicePath().c_str());
    std::fflush(stdout);

    int received = 0;
    sigwait(&stopSignals, &received);
    simulator.stop();
    if (log != stderr) {
        std::fclose(log);
    }
    return 0;
}
