#include "link/MemoryWrite.h"

#include "link/LinkHost.h"
#include "link/PollFields.h"

namespace korvex {

namespace {

// The longest part of a command a report quotes.
constexpr std::size_t kQuotedLength = 40;

bool isChannelName(std::string_view text) {
    return text.size() == 3 && text[1] >= '0' && text[1] <= '9' && text[2] >= '0' && text[2] <= '9';
}

std::string quoted(std::string_view command) {
    if (!command.empty() && command.back() == '\r') {
        command.remove_suffix(1);
    }
    std::string text = "\"" + std::string(command.substr(0, kQuotedLength));
    return text + (command.size() > kQuotedLength ? "...\"" : "\"");
}

std::string whatFailed(MemoryWrite::Failure failure, const std::string& channel,
                       std::string_view command) {
    const std::string subject =
        channel.empty() ? "the command " + quoted(command) : "channel " + channel;
    switch (failure) {
        case MemoryWrite::Failure::Refused:
            return "the receiver refused " + subject + ".";
        case MemoryWrite::Failure::NoAnswer:
            return "the receiver did not answer " + subject + ".";
        case MemoryWrite::Failure::LinkError:
            break;
    }
    return "the link failed on " + subject + ".";
}

}  // namespace

void MemoryWrite::begin(std::string_view commands) {
    if (!m_active) {
        std::string report = std::move(m_report);  // not yet shown
        *this = MemoryWrite{};
        m_report = std::move(report);
        m_active = true;
    }
    std::string recalled;  // a clear is "MR" + channel, then "MQ" + its digits
    while (!commands.empty()) {
        const std::size_t cr = commands.find('\r');
        const std::size_t end = cr == std::string_view::npos ? commands.size() : cr + 1;
        Step step{std::string(commands.substr(0, end)), {}};
        commands.remove_prefix(end);
        const std::string_view text = step.command;
        if (text.starts_with("MR") && isChannelName(text.substr(2, 3))) {
            recalled = std::string(text.substr(2, 3));
        } else if (text.starts_with("MX") && text.size() > 6 && isChannelName(text.substr(2, 3))) {
            step.channel = std::string(text.substr(2, 3));
        } else if (text.starts_with("MQ") && !recalled.empty() &&
                   text.substr(2, 2) == std::string_view(recalled).substr(1)) {
            step.channel = recalled;
        }
        m_steps.push_back(std::move(step));
    }
}

void MemoryWrite::sent(std::string_view command) {
    if (!m_active || command.starts_with('\r')) {
        return;
    }
    if (m_outstanding && m_steps[m_next - 1].command == command) {
        return;  // the same command asked again after a time-out
    }
    m_outstanding = m_next < m_steps.size() && m_steps[m_next].command == command;
    if (m_outstanding) {
        ++m_next;
    }
}

bool MemoryWrite::awaits(std::string_view command) const {
    return m_active && m_outstanding && m_steps[m_next - 1].command == command;
}

void MemoryWrite::answered(std::string_view command) {
    if (!awaits(command)) {
        return;
    }
    m_outstanding = false;
    if (!m_steps[m_next - 1].channel.empty()) {
        ++m_written;
    }
    if (m_next == m_steps.size()) {
        m_active = false;  // every command acknowledged
    }
}

std::vector<std::string> MemoryWrite::fail(Failure failure, std::string_view command) {
    std::vector<std::string> unsent;
    if (!m_active) {
        return unsent;
    }
    std::string failedChannel;
    if (awaits(command)) {
        failedChannel = m_steps[m_next - 1].channel;
    }
    std::string notWritten = failedChannel;
    for (std::size_t i = m_next; i < m_steps.size(); ++i) {
        unsent.push_back(m_steps[i].command);
        if (!m_steps[i].channel.empty()) {
            notWritten += (notWritten.empty() ? "" : ", ") + m_steps[i].channel;
        }
    }
    m_report = "Memory write stopped: " + whatFailed(failure, failedChannel, command) + "\n" +
               std::to_string(m_written) + " of " + std::to_string(channelCount()) +
               " channels written.";
    if (!notWritten.empty()) {
        m_report += "\nNot written: " + notWritten + ".";
    }
    m_active = false;
    m_outstanding = false;
    return unsent;
}

std::string MemoryWrite::takeReport() {
    std::string report;
    report.swap(m_report);
    return report;
}

int MemoryWrite::channelCount() const {
    int count = 0;
    for (const Step& step : m_steps) {
        count += step.channel.empty() ? 0 : 1;
    }
    return count;
}

void beginMemoryWrite(PollFields& poll, std::string_view commands, bool announceDone) {
    poll.memoryWrite.begin(commands);
    if (announceDone) {
        poll.memWriteActive = true;
    }
}

void stopMemoryWrite(PollFields& poll, LinkHost& host, MemoryWrite::Failure failure,
                     std::string_view command) {
    if (!poll.memoryWrite.active()) {
        return;
    }
    poll.commandQueue.removeInOrder(poll.memoryWrite.fail(failure, command));
    poll.memWriteActive = false;
    host.showStatus("mem write stopped: " + std::to_string(poll.memoryWrite.channelsWritten()) +
                    " of " + std::to_string(poll.memoryWrite.channelCount()) +
                    " channels written.");
    host.refreshView();
}

}  // namespace korvex
