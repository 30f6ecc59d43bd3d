#include "log/ReportCommand.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "log/ActivityReport.h"
#include "log/LogFile.h"

namespace korvex {

namespace {

constexpr std::string_view kUsage =
    "usage: korvex --report LOGFILE [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--csv]\n";

struct ReportOptions {
    std::optional<std::string> logFile;
    ReportRange range;
    bool csv = false;
};

// The value of "--name VALUE" or "--name=VALUE" at `i`; `i` moves past it.
// Nothing when `arguments[i]` is not this option or its value is missing.
std::optional<std::string> optionValue(std::span<const std::string_view> arguments, std::size_t& i,
                                       std::string_view name, bool& missing) {
    const std::string_view arg = arguments[i];
    if (arg.substr(0, name.size()) != name) {
        return std::nullopt;
    }
    if (arg.size() == name.size()) {
        if (i + 1 >= arguments.size()) {
            missing = true;
            return std::nullopt;
        }
        return std::string(arguments[++i]);
    }
    if (arg[name.size()] == '=') {
        return std::string(arg.substr(name.size() + 1));
    }
    return std::nullopt;
}

// The options, or the reason they cannot be used.
std::optional<ReportOptions> parseOptions(std::span<const std::string_view> arguments,
                                          std::string& reason) {
    ReportOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        bool missing = false;
        if (arguments[i] == "--csv") {
            options.csv = true;
        } else if (auto file = optionValue(arguments, i, "--report", missing)) {
            options.logFile = *file;
        } else if (auto from = optionValue(arguments, i, "--from", missing)) {
            options.range.from = *from;
        } else if (auto to = optionValue(arguments, i, "--to", missing)) {
            options.range.to = *to;
        } else {
            reason = missing ? "option " + std::string(arguments[i]) + " needs a value"
                             : "unknown argument " + std::string(arguments[i]);
            return std::nullopt;
        }
    }
    if (!options.logFile || options.logFile->empty()) {
        reason = "--report needs a log file";
        return std::nullopt;
    }
    for (const std::string* day : {&options.range.from, &options.range.to}) {
        if (!day->empty() && !isReportDate(*day)) {
            reason = "not a date (YYYY-MM-DD): " + *day;
            return std::nullopt;
        }
    }
    if (!options.range.from.empty() && !options.range.to.empty() &&
        options.range.from > options.range.to) {
        reason = "--from is after --to";
        return std::nullopt;
    }
    return options;
}

// Why a log file cannot be read, or nothing when it can.
std::optional<std::string> unreadable(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        return std::string(std::strerror(ec ? ec.value() : ENOENT));
    }
    if (std::filesystem::is_directory(status)) {
        return std::string(std::strerror(EISDIR));
    }
    return std::nullopt;
}

}  // namespace

bool asksForReport(std::span<const std::string_view> arguments) {
    for (const std::string_view arg : arguments) {
        if (arg == "--") {
            return false;
        }
        for (const std::string_view name : {"--report", "--from", "--to"}) {
            if (arg == name || (arg.substr(0, name.size()) == name && arg.size() > name.size() &&
                                arg[name.size()] == '=')) {
                return true;
            }
        }
        if (arg == "--csv") {
            return true;
        }
    }
    return false;
}

int runReportCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err) {
    std::string reason;
    const auto options = parseOptions(arguments, reason);
    if (!options) {
        err << "korvex: " << reason << '\n' << kUsage;
        return kReportUsageError;
    }
    if (const auto why = unreadable(*options->logFile)) {
        err << "korvex: " << *options->logFile << ": " << *why << '\n';
        return kReportFileError;
    }
    std::string problem;
    const auto entries = readLogEntries(*options->logFile, problem);
    if (!entries) {
        std::replace(problem.begin(), problem.end(), '\n', ' ');
        err << "korvex: " << problem << '\n';
        return kReportFileError;
    }
    const ActivityReport report = buildActivityReport(*entries, options->range);
    out << (options->csv ? reportCsv(report) : reportText(report));
    out.flush();
    if (report.unreadableEntries > 0) {
        err << "korvex: " << report.unreadableEntries
            << " entries without a readable date and time were left out\n";
    }
    return out ? kReportDone : kReportFileError;
}

}  // namespace korvex
