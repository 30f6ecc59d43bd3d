#include "model/Receiver.h"

#include <charconv>
#include <iterator>
#include <utility>

namespace korvex {

std::string_view linkStateName(LinkState state) {
    switch (state) {
        case LinkState::Idle:
            return "IDLE";
        case LinkState::Wait:
            return "WAIT";
        case LinkState::Data:
            return "DATA";
        case LinkState::Err:
            return "ERR";
        case LinkState::Retry:
            return "RETRY";
    }
    return "???";
}

ChannelRecord ChannelRecord::emptySlot(std::string_view key) {
    ChannelRecord r = allEmpty();
    r.field[0] = std::string(key);
    return r;
}

ChannelRecord ChannelRecord::allEmpty() {
    ChannelRecord r;
    for (auto& f : r.field) {
        f = std::string(EMPTY_FIELD);
    }
    return r;
}

CReceiver::CReceiver() {
    for (int i = 0; i < 10; ++i) {
        scanGroups[static_cast<std::size_t>(i)] = GroupRecord{};
        searchGroups[static_cast<std::size_t>(i)] = GroupRecord{};
    }
}

MemoryBank& CReceiver::selectBank(char letter) {
    if (isBankLetter(letter)) {
        m_currentBankIndex = bankIndex(letter);
    }
    return currentBank();
}

int CReceiver::bankIndex(char letter) {
    const int code = static_cast<unsigned char>(letter);
    return code > 89 ? code - 87 : code - 65;
}

int CReceiver::bankSize(int index) const {
    if (index < 0 || index >= kBankCount) {
        return 0;
    }
    const std::string& info = bankInfo[static_cast<std::size_t>(index)];
    if (info.size() < 4) {
        return 0;
    }
    int value = 0;
    const char* first = info.data() + 2;
    auto [ptr, ec] = std::from_chars(first, first + 2, value);
    if (ec != std::errc{} || ptr != first + 2) {
        return 0;
    }
    return value;
}

bool CReceiver::replaceChannel(std::size_t n, const ChannelRecord& record) {
    MemoryBank& bank = currentBank();
    if (n >= bank.size()) {
        return false;
    }
    auto it = std::next(bank.begin(), static_cast<std::ptrdiff_t>(n));
    *it = record;
    return true;
}

bool CReceiver::removeChannel(std::size_t n) {
    MemoryBank& bank = currentBank();
    if (n >= bank.size()) {
        return false;
    }
    bank.erase(std::next(bank.begin(), static_cast<std::ptrdiff_t>(n)));
    return true;
}

GroupRecord* CReceiver::levelSquelchGroup() {
    return const_cast<GroupRecord*>(std::as_const(*this).levelSquelchGroup());
}

const GroupRecord* CReceiver::levelSquelchGroup() const {
    auto inRange = [](int n, int size) { return n >= 0 && n < size; };
    if (operatingState >= kStateVfo && operatingState <= kStateVfoB) {
        return &searchGroups[10];
    }
    if (operatingState >= kStateSearch && operatingState <= kStateVfoSearchB) {
        return inRange(currentSearchGroup, 11)
                   ? &searchGroups[static_cast<std::size_t>(currentSearchGroup)]
                   : nullptr;
    }
    if (operatingState >= kStateMemoryRead && operatingState <= kStateVvB) {
        return inRange(currentScanGroup, 10)
                   ? &scanGroups[static_cast<std::size_t>(currentScanGroup)]
                   : nullptr;
    }
    return nullptr;
}

std::optional<int> CReceiver::levelSquelchValue() const {
    const GroupRecord* g = levelSquelchGroup();
    if (g == nullptr) {
        return std::nullopt;
    }
    const std::string& text = g->field[GroupRecord::kLevelSquelch];
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '+')) {
        ++start;
    }
    int value = 0;
    auto [ptr, ec] = std::from_chars(text.data() + start, text.data() + text.size(), value);
    if (ec != std::errc{} || ptr == text.data() + start) {
        return std::nullopt;
    }
    return value;
}

}  // namespace korvex
