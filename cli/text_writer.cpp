#include "cli/text_writer.h"

#include "cli/path_quoting.h"

#include <string>

namespace pw::cli {
namespace {

constexpr std::size_t kFlushAt = 64 * 1024;

// Collects the output and hands it on in large pieces.
class EntryWriter {
public:
    EntryWriter(std::ostream& out, PathEnd end)
        : m_out(out), m_end(end == PathEnd::Nul ? '\0' : '\n') {}
    ~EntryWriter() { m_out << m_text; }
    EntryWriter(const EntryWriter&) = delete;
    EntryWriter& operator=(const EntryWriter&) = delete;

    void path(const std::string& path) {
        if (m_end == '\n' && needsQuoting(path)) {
            m_text += shellQuoted(path);
            m_quoted = true;
        } else {
            m_text += path;
        }
        endEntry();
    }

    void endEntry() {
        m_text += m_end;
        if (m_text.size() >= kFlushAt) {
            m_out << m_text;
            m_text.clear();
        }
    }

    bool quoted() const { return m_quoted; }

private:
    std::ostream& m_out;
    char m_end;
    std::string m_text;
    bool m_quoted = false;
};

} // namespace

bool writeText(std::ostream& out, const ResultTable& table, PathEnd end) {
    EntryWriter writer(out, end);
    const auto& rows = table.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && table.grouped() && rows[i].group != rows[i - 1].group) {
            writer.endEntry();
        }
        writer.path(rows[i].fullPath());
    }
    return writer.quoted();
}

bool writeMarkedText(std::ostream& out, const ResultTable& table, PathEnd end) {
    EntryWriter writer(out, end);
    for (const ResultTableRow& row : table.rows()) {
        if (row.marked) {
            writer.path(row.fullPath());
        }
    }
    return writer.quoted();
}

} // namespace pw::cli
