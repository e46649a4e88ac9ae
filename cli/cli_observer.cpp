#include "cli/cli_observer.h"

#include "cli/path_quoting.h"

#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace pw::cli {

namespace {

std::string_view stageLabel(ScanStage stage) {
    switch (stage) {
    case ScanStage::Enumerating:
        return "Scanning...";
    case ScanStage::Sorting:
        return "Sorting...";
    case ScanStage::Comparing:
        return "Comparing...";
    case ScanStage::SameNames:
        return "Searching for same name files...";
    case ScanStage::ZeroSize:
        return "Listing zero size files...";
    }
    return "";
}

std::size_t terminalWidth(std::FILE* err) {
    winsize size{};
    if (ioctl(fileno(err), TIOCGWINSZ, &size) == 0 && size.ws_col > 1) {
        return size.ws_col;
    }
    return 80;
}

// Cuts a text to at most `width` bytes without splitting a UTF-8 sequence, so that a
// redrawn line never wraps (a wrapped line cannot be overwritten with "\r").
std::string fitWidth(std::string text, std::size_t width) {
    if (text.size() <= width) {
        return text;
    }
    std::size_t cut = width;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    text.resize(cut);
    return text;
}

// A stage's status text is its label, a blank and a detail: while listing, the folder.
// The detail is shown as a path, so that a folder's name never puts raw control bytes on
// the terminal; a text without a path comes out unchanged.
std::string shownStatus(const ScanProgress& progress) {
    const std::string_view label = stageLabel(progress.stage);
    const std::string& text = progress.statusText;
    if (text.empty()) {
        return std::string(label);
    }
    if (text.size() > label.size() && text.starts_with(label) && text[label.size()] == ' ') {
        return text.substr(0, label.size() + 1) + shownPath(text.substr(label.size() + 1));
    }
    return shownPath(text);
}

} // namespace

CliObserver::CliObserver(std::FILE* err, bool progress, bool terminal,
                         std::optional<std::int64_t> maxFiles)
    : m_err(err), m_progress(progress), m_terminal(terminal), m_maxFiles(maxFiles) {}

void CliObserver::progress(const ScanProgress& progress) {
    if (!m_progress) {
        return;
    }
    std::string text = shownStatus(progress);
    std::lock_guard lock(m_mutex);
    if (m_terminal) {
        // Back to the line's start, the text, then erase what a longer line left behind.
        std::fputc('\r', m_err);
        std::fputs(fitWidth(std::move(text), terminalWidth(m_err) - 1).c_str(), m_err);
        std::fputs("\x1b[K", m_err);
    } else {
        text += '\n';
        std::fputs(text.c_str(), m_err);
    }
    std::fflush(m_err);
    m_lineShown = true;
}

bool CliObserver::confirmManyFiles(std::int32_t filesFound) {
    const bool goOn = !m_maxFiles || filesFound <= *m_maxFiles;
    std::lock_guard lock(m_mutex);
    clearLine();
    if (goOn) {
        std::fprintf(m_err, "pairwell-cli: warning: %d files found, more than 100000; going on\n",
                     static_cast<int>(filesFound));
    } else {
        std::fprintf(m_err,
                     "pairwell-cli: scan stopped: %d files found, more than --max-files %lld\n",
                     static_cast<int>(filesFound), static_cast<long long>(*m_maxFiles));
        m_declined = true;
    }
    return goOn;
}

ErrorAnswer CliObserver::runtimeError(const RuntimeError& error) {
    std::lock_guard lock(m_mutex);
    clearLine();
    std::fprintf(m_err, "pairwell-cli: %s: %s\n", error.procedure.c_str(),
                 error.description.c_str());
    m_runtimeError = true;
    return ErrorAnswer::Abort;
}

void CliObserver::finish() {
    std::lock_guard lock(m_mutex);
    clearLine();
}

bool CliObserver::hadRuntimeError() const {
    std::lock_guard lock(m_mutex);
    return m_runtimeError;
}

bool CliObserver::declinedManyFiles() const {
    std::lock_guard lock(m_mutex);
    return m_declined;
}

void CliObserver::clearLine() {
    if (m_lineShown && m_terminal) {
        std::fputs("\r\x1b[K", m_err);
    }
    m_lineShown = false;
}

} // namespace pw::cli
