#include "link/ResponseParser.h"

#include <algorithm>
#include <array>

#include "link/Decoders.h"
#include "model/Tables.h"

namespace korvex {

namespace {

constexpr std::string_view kResizeDone = "mem bank resize done.";
constexpr std::string_view kMemWriteDone = "mem write done.";

constexpr std::string_view kBusyText = "+++++++++++ ";
constexpr std::string_view kStopText = " ++ stop ++ ";
constexpr std::string_view kBandscopeText = " Bandscope ";
constexpr std::string_view kSweepActiveText = "  active   ";
constexpr std::string_view kSweepBusyText = " +++++++++ ";
constexpr std::string_view kRunningText = "  running  ";
constexpr std::string_view kHaltedText = "   halted  ";

// Receive-mode recognition of an "RX" reply by the start of the line.
struct ModePrefix {
    std::string_view prefix;
    int state;
};
constexpr std::array<ModePrefix, 10> kModePrefixes = {{
    {"SM MX", kStateSelectScan},
    {"MS MX", kStateMemoryScan},
    {"MR MX", kStateMemoryRead},
    {"VV VB", kStateVvB},
    {"VV VA", kStateVvA},
    {"VS VB", kStateVfoSearchB},
    {"VS VA", kStateVfoSearchA},
    {"VB RF", kStateVfoB},
    {"VA RF", kStateVfoA},
    {"VF RF", kStateVfo},
}};

// What the VFO B display shows while the receiver scans or searches.
struct BusyText {
    int state;
    std::string_view vfoBText;
};
constexpr std::array<BusyText, 5> kBusyTexts = {{
    {kStateSearch, "Search Mode "},
    {kStateVfoSearchA, "VFO Search A"},
    {kStateVfoSearchB, "VFO Search B"},
    {kStateMemoryScan, "Scan Mode  "},
    {kStateSelectScan, "Select Scan "},
}};

std::string_view prefix(std::string_view text, std::size_t n) {
    return text.substr(0, std::min(n, text.size()));
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// The receiver's answer to a command it does not know or cannot carry out.
bool isRefusal(std::string_view line) {
    while (!line.empty() && line.back() == ' ') {
        line.remove_suffix(1);
    }
    return line == "?";
}

// The ten digits after the first "RF" that follows a blank.
std::string_view frequencyAfterBlank(std::string_view line) {
    const std::size_t pos = line.find(" RF");
    return pos == std::string_view::npos ? std::string_view{} : charsAt(line, pos + 3, 10);
}

// The ten digits after the first "RF" that is not followed by a blank.
std::string_view frequencyOfLevelLine(std::string_view line) {
    for (std::size_t pos = line.find("RF"); pos != std::string_view::npos;
         pos = line.find("RF", pos + 1)) {
        const std::string_view digits = afterTag(line, pos, 10);
        if (!digits.empty() && digits.front() != ' ') {
            return digits;
        }
    }
    return {};
}

}  // namespace

ResponseParser::ResponseParser(CReceiver& rx, PollFields& poll, LinkHost& host)
    : m_rx(rx), m_poll(poll), m_host(host) {}

void ResponseParser::receive(std::string_view chunk) {
    std::string& buffer = m_rx.rxBuffer;
    // An empty line waits for the next call only together with a partial
    // line; a buffer emptied meanwhile (a reopened port) drops it too.
    if (buffer.empty()) {
        m_emptyLineWhileWaiting = false;
    }
    buffer.append(chunk);
    std::size_t pos = 0;  // start of the text not yet consumed
    bool levelReportSeen = false;

    while (pos < buffer.size() && buffer.find('\r', pos) != std::string::npos) {
        // An empty line is the receiver's word that a bank resize has finished;
        // the rest of the chunk waits for the next call.
        while (pos < buffer.size() && isLineEnd(buffer[pos])) {
            const bool cr = buffer[pos] == '\r';
            ++pos;
            if (m_rx.bankResizeActive) {
                m_rx.bankResizeActive = false;
                m_host.showStatus(std::string(kResizeDone));
                buffer.erase(0, pos);
                return;
            }
            if (cr && m_rx.linkState == LinkState::Wait) {
                m_emptyLineWhileWaiting = true;
            }
        }
        const std::size_t cr = buffer.find('\r', pos);
        if (cr != std::string::npos) {
            m_rx.currentLine.assign(buffer, pos, cr - pos);
            pos = cr + 1;
            const bool reply = parseLine();
            if (m_rx.logActive) {
                m_rx.squelchEvents.publish(m_rx.vfoFrequency, m_rx.levelText);
            }
            if (reply) {
                ++m_poll.replyLines;
                m_emptyLineWhileWaiting = false;  // the reply has set the state
            } else {
                levelReportSeen = true;
                // A level report: only its own LF goes, so an empty line
                // right after it is still seen as one.
                if (pos < buffer.size() && buffer[pos] == '\n') {
                    ++pos;
                }
                continue;
            }
        } else if (pos == buffer.size()) {
            // Only CR/LF: a command acknowledged without data. After a level
            // report in the same chunk the empty line is taken below, and
            // only while a command is outstanding.
            if (!levelReportSeen) {
                m_rx.linkState = LinkState::Idle;
                m_emptyLineWhileWaiting = false;
            }
            break;
        }
        while (pos < buffer.size() && isLineEnd(buffer[pos])) {
            ++pos;
        }
    }
    buffer.erase(0, pos);
    // An acknowledgement with level reports around it, and nothing else,
    // still frees the link; a partial line may yet turn out to be the reply.
    if (m_emptyLineWhileWaiting && buffer.empty()) {
        m_emptyLineWhileWaiting = false;
        if (m_rx.linkState == LinkState::Wait) {
            m_rx.linkState = LinkState::Idle;
        }
    }
    if (buffer.size() > kMaxPartialLine && buffer.find('\r') == std::string::npos) {
        buffer.clear();
    }
}

bool ResponseParser::parseLine() {
    const std::string sent = m_rx.sentCommand;
    const std::string_view cmd2 = prefix(sent, 2);
    const std::string_view cmd3 = prefix(sent, 3);
    const std::string line = m_rx.currentLine;

    if (cmd3 == "LC2") {
        m_rx.currentLine.clear();
        m_rx.linkState = LinkState::Idle;
        m_rx.sentCommand.clear();
        m_rx.bandscopeRunning = true;
        m_rx.bandscopeHalted = false;
        bandscopeTexts();
        return true;
    }
    if (m_rx.bandscopeRunning) {
        sweepLine(line);
        m_rx.currentLine.clear();
        return true;
    }
    if (line.starts_with("LC")) {
        // Not a reply: a command outstanding stays outstanding, and a queue
        // waiting to be sent is not held back however fast these come.
        if (levelLine(line)) {
            m_poll.displayRefreshWanted = true;
        }
        m_rx.currentLine.clear();
        return false;
    }
    if (cmd2 == "MW" && m_rx.bankResizeActive) {
        m_rx.currentLine.clear();
        return true;
    }

    const PageResult page = pagedReply(cmd2, line);
    if (page == PageResult::Incomplete) {
        m_rx.currentLine.clear();
        return true;
    }

    // The receiver's "?" to a command of a channel write stops the write
    // before anything could call it done.
    if (page == PageResult::NotPaged && isRefusal(line) && m_poll.memoryWrite.awaits(sent)) {
        stopMemoryWrite(m_poll, m_host, MemoryWrite::Failure::Refused, sent);
    }

    if (m_poll.memWriteActive && m_poll.commandQueue.empty() && !isRefusal(line)) {
        m_host.showStatus(std::string(kMemWriteDone));
        m_poll.memWriteActive = false;
        m_host.refreshView();
    }

    if (page == PageResult::NotPaged) {
        singleReply(cmd2, line);
    }
    m_rx.currentLine.clear();

    const bool bareQuery = (sent.size() > 2 && sent[2] == '\r') || sent.starts_with('\r');
    m_poll.dataUnasked = m_rx.linkState != LinkState::Wait;
    m_rx.linkState = page == PageResult::Complete || bareQuery ? LinkState::Data : LinkState::Idle;
    return true;
}

void ResponseParser::bandscopeTexts() {
    if (m_rx.bandscopeRunning && !m_rx.bandscopeHalted) {
        m_rx.vfoAFrequency = kBandscopeText;
        m_rx.vfoBFrequency = kRunningText;
    } else if (m_rx.bandscopeHalted) {
        m_rx.vfoAFrequency = kBandscopeText;
        m_rx.vfoBFrequency = kHaltedText;
    } else {
        m_rx.vfoAFrequency = CReceiver::kNoFrequency;
        m_rx.vfoBFrequency = CReceiver::kNoFrequency;
    }
    m_rx.linkState = LinkState::Data;
}

// ---- paged and listed replies ----

ResponseParser::PageResult ResponseParser::pagedReply(std::string_view cmd2,
                                                      std::string_view line) {
    bool complete = false;
    if (cmd2 == "MA") {
        if (!decodeMemoryChannel(line, m_rx.scratchChannel)) {
            return PageResult::NotPaged;
        }
        m_rx.appendChannel();
        countPagedLine();
        complete = m_rx.currentBank().size() % 10 == 0;
    } else if (cmd2 == "SR") {
        decodeSearchBank(line, m_rx.scratchSearchBank);
        m_rx.appendSearchBank();
        m_rx.scratchSearchBank = ChannelRecord{};
        countPagedLine();
        complete = m_rx.searchBanks.size() % 10 == 0;
    } else if (cmd2 == "GR") {
        decodeSelectScan(line, m_rx.scratchSelectScan);
        m_rx.appendSelectScan();
        countPagedLine();
        complete = isEmptyField(m_rx.selectScanList.back()[ChannelRecord::kLink]);
    } else if (cmd2 == "PR") {
        decodePassFrequency(line, m_rx.scratchPass);
        m_rx.appendPassFrequency();
        countPagedLine();
        complete = isEmptyField(m_rx.passFrequencies.back()[PassFrequencyRecord::kFrequency]);
    } else {
        return PageResult::NotPaged;
    }
    if (!complete) {
        return PageResult::Incomplete;
    }
    m_rx.listChanged = true;
    return PageResult::Complete;
}

// Every fourth line of a long reply restarts the time-out count, so a page
// or list that takes longer than the time-out to arrive is not retried.
void ResponseParser::countPagedLine() {
    if (m_rx.linesSinceReset >= 3) {
        m_poll.waitTicks = 0;
        m_rx.linesSinceReset = 0;
    } else {
        ++m_rx.linesSinceReset;
    }
}

// ---- single replies ----

void ResponseParser::singleReply(std::string_view cmd2, std::string_view line) {
    const std::string_view head = headBeforeText(line);
    if (cmd2 == "TB") {
        bankInfoLine(line);
    } else if (cmd2 == "GM") {
        groupLine(line, false);
    } else if (cmd2 == "GS") {
        groupLine(line, true);
    } else if (cmd2 == "GV") {
        vfoSearchLine(line);
    } else if (cmd2 == "BM") {
        bankLinkLine(line, false);
    } else if (cmd2 == "BS") {
        bankLinkLine(line, true);
    } else if (cmd2 == "RX") {
        rxReply(line);
    } else if (cmd2 == "GA" || cmd2 == "MP") {
        if (line.starts_with(cmd2) && line.size() > 2 && (line[2] == '0' || line[2] == '1')) {
            (cmd2 == "GA" ? m_rx.selectFlag : m_rx.passFlag) = line[2] == '1';
        }
    } else if (cmd2 == "ST") {
        stepField(head);
    } else if (cmd2 == "MD") {
        modeField(head);
    } else if (cmd2 == "AU") {
        autoModeField(head);
    } else if (cmd2 == "AT") {
        attenuatorField(head);
    } else if (cmd2 == "AF" || cmd2 == "NL") {
        if (line.starts_with(cmd2)) {
            if (const auto on = flagAfterTag(line, 0)) {
                (cmd2 == "AF" ? m_rx.afc : m_rx.noiseLimiter) = *on;
            }
        }
    } else if (cmd2 == "OM") {
        if (line.starts_with("OM") && line.size() > 2) {
            m_rx.openingMode = line[2];
            if (line.size() > 4) {
                m_rx.openingMessage = std::string(charsAt(line, 4, 48));
            }
        }
    } else if (cmd2 == "VL") {
        if (line.starts_with("VL") && line.size() > 2) {
            m_rx.vlValue = line[2];
        }
    } else if (cmd2 == "LB") {
        if (line.starts_with("LB") && line.size() > 2) {
            m_rx.lbValue = std::string(charsAt(line, 2, 2));
        }
    } else if (cmd2 == "DB" || cmd2 == "SB" || cmd2 == "XB") {
        levelSquelchLine(line);
    }
}

void ResponseParser::rxReply(std::string_view line) {
    recogniseMode(line);
    std::string channel;
    if (decodeMemoryChannel(line, m_rx.scratchChannel)) {
        channel = m_rx.scratchChannel[ChannelRecord::kChannel];
    }
    const std::string_view head = headBeforeText(line);
    ++m_rx.statusReplies;
    if (const auto hz = parseDigits(frequencyAfterBlank(head))) {
        m_rx.tunedHz = *hz;
    }
    if (!channel.empty() && m_rx.operatingState >= kStateMemoryRead &&
        m_rx.operatingState <= kStateSelectScan) {
        m_rx.memoryChannel = channel;
    }
    displayTexts(head, channel);
    stepField(head);
    autoModeField(head);
    modeField(head);
    attenuatorField(head);
}

void ResponseParser::recogniseMode(std::string_view line) {
    int state = -1;
    for (const ModePrefix& p : kModePrefixes) {
        if (line.starts_with(p.prefix)) {
            state = p.state;
        }
    }
    if (line.starts_with("SR")) {
        state = kStateSearch;
    }
    if (state < 0) {
        return;
    }
    if (m_rx.operatingState >= kStateSearch && m_rx.operatingState <= kStateSelectScan) {
        m_rx.vfoAFrequency = CReceiver::kNoFrequency;
        m_rx.vfoBFrequency = CReceiver::kNoFrequency;
    }
    m_rx.operatingState = state;
}

void ResponseParser::displayTexts(std::string_view head, const std::string& channel) {
    const int state = m_rx.operatingState;
    for (const BusyText& busy : kBusyTexts) {
        if (busy.state == state) {
            m_rx.vfoAFrequency = kBusyText;
            m_rx.vfoBFrequency = busy.vfoBText;
            m_rx.vfoFrequency = kBusyText;
            return;
        }
    }
    if (state == kStateMemoryRead) {
        if (!channel.empty()) {
            m_rx.vfoAFrequency = "- " + channel + " -  ";
        }
        return;
    }
    const std::string_view digits = frequencyAfterBlank(head);
    const auto hz = parseDigits(digits);
    if (!hz) {
        return;
    }
    if (state == kStateVfo) {
        m_rx.vfoFrequency = displayFrequency(digits);
        m_rx.vfoValue = *hz;
    } else if (state == kStateVfoA || state == kStateVvA) {
        m_rx.vfoAFrequency = displayFrequency(digits);
        m_rx.vfoAValue = *hz;
    } else if (state == kStateVfoB || state == kStateVvB) {
        m_rx.vfoBFrequency = displayFrequency(digits);
        m_rx.vfoBValue = *hz;
    }
}

void ResponseParser::stepField(std::string_view head) {
    const std::size_t pos = findFieldTag(head, "ST");
    if (pos == std::string_view::npos || head.size() < pos + 8) {
        return;
    }
    const std::string_view digits = afterTag(head, pos, 6);
    const auto hz = parseDigits(digits);
    if (!hz) {
        return;
    }
    m_rx.stepText = std::string(digits);
    m_rx.stepHz = static_cast<std::int32_t>(*hz);
    m_rx.stepAdjust = head.size() > pos + 8 && head[pos + 8] == '+';
}

void ResponseParser::modeField(std::string_view head) {
    const std::size_t pos = findFieldTag(head, "MD");
    if (pos == std::string_view::npos) {
        return;
    }
    const std::string_view digit = afterTag(head, pos, 1);
    if (digit.empty()) {
        return;
    }
    if (const auto mode = modeIndexFromDigit(digit.front())) {
        m_rx.mode = *mode;
    }
    if (m_rx.bandscopeHalted) {
        bandscopeTexts();
    }
}

void ResponseParser::autoModeField(std::string_view head) {
    const std::size_t pos = findFieldTag(head, "AU");
    if (pos == std::string_view::npos) {
        return;
    }
    if (const auto on = flagAfterTag(head, pos)) {
        m_rx.autoMode = *on;
    }
    modeField(head);
}

void ResponseParser::attenuatorField(std::string_view head) {
    const std::size_t pos = findFieldTag(head, "AT");
    if (pos == std::string_view::npos) {
        return;
    }
    if (const auto on = flagAfterTag(head, pos)) {
        m_rx.attenuator = *on;
    }
}

// "MW A:50 TBA" + the bank text padded to 8: stored as "A:50 " + text, so
// the size stands at positions 2 and 3.
void ResponseParser::bankInfoLine(std::string_view line) {
    if (line.size() <= 18 || !line.starts_with("MW")) {
        return;
    }
    const char letter = line[3];
    if (!CReceiver::isBankLetter(letter)) {
        return;
    }
    std::string info(line.substr(3, 4));
    info += ' ';
    info += line.substr(11);
    m_rx.bankInfo[static_cast<std::size_t>(CReceiver::bankIndex(letter))] = std::move(info);
    m_rx.listChanged = true;
}

void ResponseParser::groupLine(std::string_view line, bool search) {
    if (!line.starts_with(search ? "GS" : "GM") || line.size() < 3 || line[2] < '0' ||
        line[2] > '9') {
        return;
    }
    const int number = line[2] - '0';
    GroupRecord& group = search ? m_rx.searchGroup(number) : m_rx.scanGroup(number);
    (search ? m_rx.currentSearchGroup : m_rx.currentScanGroup) = number;
    group[GroupRecord::kNumber] = std::string(1, line[2]);
    decodeGroupFields(line, search ? kSearchGroupTags : kScanGroupTags, group);
}

void ResponseParser::vfoSearchLine(std::string_view line) {
    if (!line.starts_with("GV")) {
        return;
    }
    GroupRecord& group = m_rx.vfoSearchGroup();
    m_rx.currentSearchGroup = 10;
    group[GroupRecord::kNumber] = "10";
    decodeGroupFields(line, kVfoSearchTags, group);
    group[GroupRecord::kBankLink] = std::string(40, '-');
}

void ResponseParser::bankLinkLine(std::string_view line, bool search) {
    if (!line.starts_with(search ? "BS" : "BM") || line.size() <= 3) {
        return;
    }
    const int number = search ? m_rx.currentSearchGroup : m_rx.currentScanGroup;
    const int groups = search ? static_cast<int>(m_rx.searchGroups.size())
                              : static_cast<int>(m_rx.scanGroups.size());
    if (number < 0 || number >= groups) {
        return;
    }
    GroupRecord& group = search ? m_rx.searchGroup(number) : m_rx.scanGroup(number);
    group[GroupRecord::kBankLink] = std::string(charsAt(line, 3, search ? 40 : 20));
}

// "XB nnn", "XB+nnn" (the signal is above the level): the three digits from position 3.
void ResponseParser::levelSquelchLine(std::string_view line) {
    const std::string_view value = charsAt(line, 3, 3);
    if (value.empty()) {
        return;
    }
    GroupRecord* group = nullptr;
    if (line.starts_with("DB")) {
        group = &m_rx.vfoSearchGroup();
    } else if (line.starts_with("SB")) {
        if (m_rx.currentSearchGroup >= 0 && m_rx.currentSearchGroup < 11) {
            group = &m_rx.searchGroup(m_rx.currentSearchGroup);
        }
    } else if (line.starts_with("XB")) {
        if (m_rx.currentScanGroup >= 0 && m_rx.currentScanGroup < 10) {
            group = &m_rx.scanGroup(m_rx.currentScanGroup);
        }
    }
    if (group != nullptr) {
        (*group)[GroupRecord::kLevelSquelch] = std::string(value);
    }
}

// ---- level lines ----

void ResponseParser::sweepLine(std::string_view line) {
    if (line.size() <= 20 || !line.starts_with("LC")) {
        return;
    }
    m_rx.vfoAFrequency = kBandscopeText;
    m_rx.vfoBFrequency = kSweepActiveText;
    m_rx.vfoFrequency = kSweepBusyText;
    const auto level = parseDigits(charsAt(line, 2, 3));
    const auto hz = parseDigits(frequencyAfterBlank(line));
    // A corrupted report is dropped rather than drawn at a wrong place.
    if (level && hz && *level <= 255) {
        m_host.bandscopeSample(static_cast<int>(*level), *hz);
    }
}

bool ResponseParser::levelLineDecoded() const {
    if (isVfoAOrBState(m_rx.operatingState)) {
        return false;
    }
    switch (m_rx.operatingState) {
        case kStateVfo:
        case kStateMemoryRead:
            return m_rx.logActive;
        default:
            return true;
    }
}

// The squelch, level and stopped frequency of any level report, decoded for
// the display or not.
void ResponseParser::levelFacts(std::string_view line) {
    if (line.size() <= 3) {
        return;
    }
    const bool open = line[2] != '%';
    const auto level = parseDigits(charsAt(line, open ? 2 : 3, 3));
    if (!level) {
        return;
    }
    m_rx.squelchOpen = open;
    m_rx.signalLevel = static_cast<int>(*level);
    if (open) {
        if (const auto hz = parseDigits(frequencyOfLevelLine(line))) {
            m_rx.tunedHz = *hz;
        }
    }
}

// "LC%nnn Vx" while the squelch is closed, "LCnnn Vx RFnnnnnnnnnn" when the
// receiver has stopped on a signal.
bool ResponseParser::levelLine(std::string_view line) {
    levelFacts(line);
    if (!levelLineDecoded() || line.size() <= 3) {
        return false;
    }
    if (line[2] == '%') {
        m_rx.levelText = std::string(charsAt(line, 3, 3));
        m_rx.vfoAFrequency = kBusyText;
        m_rx.vfoFrequency = kBusyText;
        if (m_rx.logActive) {
            m_rx.squelchEvents.push(0);
        }
        return true;
    }
    m_rx.levelText = std::string(charsAt(line, 2, 3));
    m_rx.vfoAFrequency = kStopText;
    const std::string_view digits = frequencyOfLevelLine(line);
    if (!digits.empty()) {
        m_rx.vfoFrequency = displayFrequency(digits);
    }
    if (m_rx.logActive) {
        m_rx.squelchEvents.push(1);
    }
    return true;
}

}  // namespace korvex
