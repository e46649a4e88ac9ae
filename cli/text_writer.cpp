#include "cli/text_writer.h"

#include <string>

namespace pw::cli {
namespace {

constexpr std::size_t kFlushAt = 64 * 1024;

void flushIfLarge(std::ostream& out, std::string& text) {
    if (text.size() >= kFlushAt) {
        out << text;
        text.clear();
    }
}

} // namespace

void writeText(std::ostream& out, const ResultTable& table) {
    std::string text;
    const auto& rows = table.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && table.grouped() && rows[i].cell(kColGroup) != rows[i - 1].cell(kColGroup)) {
            text += '\n';
        }
        text += rows[i].fullPath();
        text += '\n';
        flushIfLarge(out, text);
    }
    out << text;
}

void writeMarkedText(std::ostream& out, const ResultTable& table) {
    std::string text;
    for (const ResultTableRow& row : table.rows()) {
        if (row.marked()) {
            text += row.fullPath();
            text += '\n';
            flushIfLarge(out, text);
        }
    }
    out << text;
}

} // namespace pw::cli
