#include "station/HeadlessHost.h"

namespace korvex {

namespace {

std::string oneLine(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            continue;
        }
        if (c == '\n') {
            // Blank lines of a message box's text make no extra separators.
            if (!out.empty() && out.back() != ' ') {
                out += " / ";
            }
            continue;
        }
        out += c;
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '/')) {
        out.pop_back();
    }
    return out;
}

std::string withCaption(const std::string& caption, const std::string& text) {
    return caption.empty() ? text : caption + ": " + text;
}

}  // namespace

void HeadlessHost::line(const std::string& text) {
    std::fprintf(m_out, "korvex: %s\n", oneLine(text).c_str());
    std::fflush(m_out);
}

void HeadlessHost::showStatus(const std::string& text) {
    if (!text.empty()) {
        line(text);
    }
}

void HeadlessHost::showMessage(const std::string& text, const std::string& caption, MessageKind) {
    line(withCaption(caption, text));
}

void HeadlessHost::showLogMessage(const std::string& text, const std::string& caption) {
    line(withCaption(caption, text));
}

bool HeadlessHost::confirmLog(const std::string& text, const std::string& caption) {
    line(withCaption(caption, text) + " - answered No");
    return false;
}

void HeadlessHost::logNotice(const LogNotice& notice) {
    CFailureNotice& kind = notice.kind == LogNotice::LogFile ? m_logFileNotice : m_recordingNotice;
    if (!notice.failed) {
        if (kind.failing()) {
            line(notice.kind == LogNotice::LogFile ? "the log file is written again"
                                                   : "recordings work again");
        }
        kind.succeed();
        return;
    }
    if (kind.fail(notice.text)) {
        line(notice.text);
    }
}

void HeadlessHost::showError(const QString& text) {
    line(withCaption("Error", text.toStdString()));
}

}  // namespace korvex
