#include "remote/RigctlCommands.h"

#include <array>
#include <cctype>

namespace korvex::remote {

namespace {

using V = Verb;

// Every command a client may send. Those the receiver cannot do are known
// by name and argument count, so a line holding them is still read in step.
constexpr std::array<CommandSpec, 62> kCommands = {{
    {'F', "set_freq", 1, V::SetFreq},
    {'f', "get_freq", 0, V::GetFreq},
    {'M', "set_mode", 2, V::SetMode},
    {'m', "get_mode", 0, V::GetMode},
    {'V', "set_vfo", 1, V::SetVfo},
    {'v', "get_vfo", 0, V::GetVfo},
    {'J', "set_rit", 1, V::Refused},
    {'j', "get_rit", 0, V::Refused},
    {'Z', "set_xit", 1, V::Refused},
    {'z', "get_xit", 0, V::Refused},
    {'T', "set_ptt", 1, V::Refused},
    {'t', "get_ptt", 0, V::GetPtt},
    {0, "get_dcd", 0, V::GetDcd},
    {'R', "set_rptr_shift", 1, V::Refused},
    {'r', "get_rptr_shift", 0, V::Refused},
    {'O', "set_rptr_offs", 1, V::Refused},
    {'o', "get_rptr_offs", 0, V::Refused},
    {'C', "set_ctcss_tone", 1, V::Refused},
    {'c', "get_ctcss_tone", 0, V::Refused},
    {'D', "set_dcs_code", 1, V::Refused},
    {'d', "get_dcs_code", 0, V::Refused},
    {0, "set_ctcss_sql", 1, V::Refused},
    {0, "get_ctcss_sql", 0, V::Refused},
    {0, "set_dcs_sql", 1, V::Refused},
    {0, "get_dcs_sql", 0, V::Refused},
    {'I', "set_split_freq", 1, V::Refused},
    {'i', "get_split_freq", 0, V::Refused},
    {'X', "set_split_mode", 2, V::Refused},
    {'x', "get_split_mode", 0, V::Refused},
    {'S', "set_split_vfo", 2, V::Refused},
    {'s', "get_split_vfo", 0, V::GetSplitVfo},
    {'N', "set_ts", 1, V::Refused},
    {'n', "get_ts", 0, V::GetTs},
    {'U', "set_func", 2, V::Refused},
    {'u', "get_func", 1, V::Refused},
    {'L', "set_level", 2, V::Refused},
    {'l', "get_level", 1, V::GetLevel},
    {'P', "set_parm", 2, V::Refused},
    {'p', "get_parm", 1, V::Refused},
    {'B', "set_bank", 1, V::Refused},
    {'E', "set_mem", 1, V::SetMem},
    {'e', "get_mem", 0, V::GetMem},
    {'G', "vfo_op", 1, V::Refused},
    {'g', "scan", 2, V::Refused},
    {'H', "set_channel", 1, V::Refused, true},
    {'h', "get_channel", 1, V::Refused},
    {'A', "set_trn", 1, V::Refused},
    {'a', "get_trn", 0, V::Refused},
    {'Y', "set_ant", 2, V::Refused},
    {'y', "get_ant", 1, V::Refused},
    {'*', "reset", 1, V::Refused},
    {'b', "send_morse", 1, V::Refused, true},
    {0, "set_powerstat", 1, V::Refused},
    {0, "get_powerstat", 0, V::GetPowerstat},
    {0, "send_dtmf", 1, V::Refused, true},
    {'w', "send_cmd", 1, V::Refused, true},
    {'W', "send_cmd_rx", 1, V::Refused, true},
    {0, "chk_vfo", 0, V::ChkVfo},
    {0, "get_lock_mode", 0, V::GetLockMode},
    {0, "set_lock_mode", 1, V::SetLockMode},
    {0, "dump_state", 0, V::DumpState},
    {'q', "quit", 0, V::Quit},
}};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// The extended-response characters: punctuation but the long-name mark,
// the help mark, the info command and the comment mark.
bool isSeparatorMark(char c) {
    return std::ispunct(static_cast<unsigned char>(c)) != 0 && c != '\\' && c != '?' && c != '_' &&
           c != '#' && c != '*';
}

class Tokens {
public:
    explicit Tokens(std::string_view line) : m_line(line) {}

    std::optional<std::string_view> next() {
        while (m_pos < m_line.size() && isBlank(m_line[m_pos])) {
            ++m_pos;
        }
        if (m_pos >= m_line.size()) {
            return std::nullopt;
        }
        const std::size_t start = m_pos;
        while (m_pos < m_line.size() && !isBlank(m_line[m_pos])) {
            ++m_pos;
        }
        return m_line.substr(start, m_pos - start);
    }
    std::string_view rest() {
        while (m_pos < m_line.size() && isBlank(m_line[m_pos])) {
            ++m_pos;
        }
        const std::string_view rest = m_line.substr(m_pos);
        m_pos = m_line.size();
        return rest;
    }
    bool nextIsNumber() const {
        std::size_t pos = m_pos;
        while (pos < m_line.size() && isBlank(m_line[pos])) {
            ++pos;
        }
        if (pos < m_line.size() && m_line[pos] == '-') {
            ++pos;
        }
        return pos < m_line.size() && std::isdigit(static_cast<unsigned char>(m_line[pos])) != 0;
    }

private:
    std::string_view m_line;
    std::size_t m_pos = 0;
};

}  // namespace

const CommandSpec* findCommand(std::string_view name) {
    if (name.size() > 1 && name.front() == '\\') {
        name.remove_prefix(1);
        for (const CommandSpec& spec : kCommands) {
            if (spec.longName == name) {
                return &spec;
            }
        }
        return nullptr;
    }
    if (name.size() == 1) {
        for (const CommandSpec& spec : kCommands) {
            if (spec.shortName != 0 && spec.shortName == name.front()) {
                return &spec;
            }
        }
        if (name.front() == 'Q') {
            return findCommand("q");
        }
    }
    return nullptr;
}

std::vector<Request> splitLine(std::string_view line) {
    std::vector<Request> requests;
    Tokens tokens(line);
    while (auto token = tokens.next()) {
        std::string_view name = *token;
        if (name.front() == '#') {
            break;  // a comment to the end of the line
        }
        Request request;
        if (isSeparatorMark(name.front())) {
            request.separator = name.front() == '+' ? '\n' : name.front();
            name.remove_prefix(1);
            if (name.empty()) {
                const auto command = tokens.next();
                if (!command) {
                    requests.push_back(request);
                    break;
                }
                name = *command;
            }
        }
        request.spec = findCommand(name);
        if (request.spec == nullptr) {
            requests.push_back(request);
            break;  // the rest of the line cannot be read in step
        }
        if (request.spec->restOfLine) {
            const std::string_view rest = tokens.rest();
            if (!rest.empty()) {
                request.args.emplace_back(rest);
            }
        } else {
            for (int i = 0; i < request.spec->arguments; ++i) {
                // The passband of set_mode may be left out.
                if (request.spec->verb == Verb::SetMode && i == 1 && !tokens.nextIsNumber()) {
                    break;
                }
                const auto arg = tokens.next();
                if (!arg) {
                    break;
                }
                request.args.emplace_back(*arg);
            }
        }
        request.complete = static_cast<int>(request.args.size()) >= request.spec->arguments ||
                           (request.spec->verb == Verb::SetMode && request.args.size() == 1);
        if (!request.complete) {
            requests.push_back(request);
            break;
        }
        requests.push_back(request);
    }
    return requests;
}

}  // namespace korvex::remote
