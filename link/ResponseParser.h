#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "link/LinkHost.h"
#include "link/PollFields.h"
#include "model/Receiver.h"

namespace korvex {

// Cuts the receiver's output into lines and decodes each line into the
// receiver model and the next link state. A reply is interpreted by the
// command that was sent (CReceiver::sentCommand), never by guessing.
class ResponseParser {
public:
    // Longest partial line kept while waiting for its CR; a receiver that
    // sends garbage without line ends cannot make the buffer grow without bound.
    static constexpr std::size_t kMaxPartialLine = 4096;

    ResponseParser(CReceiver& rx, PollFields& poll, LinkHost& host);

    // Received text, in whatever pieces the port delivers it. Complete lines
    // are dispatched in order; a partial line waits for the rest.
    void receive(std::string_view chunk);

    // Decodes CReceiver::currentLine and sets the link state. Returns false
    // for a level report: the receiver sends those on its own, so they leave
    // the link state to the replies and only ask for a display refresh.
    bool parseLine();

    // The bandscope's status texts in the VFO A and VFO B displays, from
    // bandscopeRunning and bandscopeHalted; sets DATA so the panel shows them.
    void bandscopeTexts();

private:
    enum class PageResult { NotPaged, Incomplete, Complete };

    PageResult pagedReply(std::string_view cmd2, std::string_view line);
    void countPagedLine();
    void singleReply(std::string_view cmd2, std::string_view line);

    void sweepLine(std::string_view line);
    // True when the line was decoded into the model.
    bool levelLine(std::string_view line);
    void levelFacts(std::string_view line);
    bool levelLineDecoded() const;

    void rxReply(std::string_view line);
    void recogniseMode(std::string_view line);
    void displayTexts(std::string_view head, const std::string& channel);

    void stepField(std::string_view head);
    void modeField(std::string_view head);
    void autoModeField(std::string_view head);
    void attenuatorField(std::string_view head);

    void bankInfoLine(std::string_view line);
    void groupLine(std::string_view line, bool search);
    void vfoSearchLine(std::string_view line);
    void bankLinkLine(std::string_view line, bool search);
    void levelSquelchLine(std::string_view line);

    CReceiver& m_rx;
    PollFields& m_poll;
    LinkHost& m_host;
    // An empty line came while a command was outstanding; it acknowledges the
    // command unless a reply line follows it.
    bool m_emptyLineWhileWaiting = false;
};

}  // namespace korvex
