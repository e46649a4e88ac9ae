#include "cli/json_writer.h"

#include "common/text.h"

namespace pw::cli {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void appendByteEscape(std::string& out, unsigned char byte) {
    out += "\\u00";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

void appendMember(std::string& out, std::string_view key) {
    appendJsonString(out, key);
    out += ": ";
}

} // namespace

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    if (!isValidUtf8(text)) {
        for (const char c : text) {
            appendByteEscape(out, static_cast<unsigned char>(c));
        }
        out += '"';
        return;
    }
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                appendByteEscape(out, static_cast<unsigned char>(c));
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void writeJson(std::ostream& out, const JsonSummary& summary, const ResultTable& table,
               bool withMarks) {
    const auto& rows = table.rows();
    std::string text = "{\n  ";
    appendMember(text, "status");
    appendJsonString(text, summary.status);
    text += ",\n  ";
    appendMember(text, "method");
    appendJsonString(text, summary.method);
    text += ",\n  ";
    appendMember(text, "fuzzy");
    text += summary.fuzzy ? "true" : "false";
    const std::pair<std::string_view, std::int64_t> totals[] = {
        {"files", summary.files},
        {"folders", summary.folders},
        {"duplicate_count", summary.duplicateCount},
        {"duplicate_size", summary.duplicateSize},
    };
    for (const auto& [key, value] : totals) {
        text += ",\n  ";
        appendMember(text, key);
        text += std::to_string(value);
    }
    text += ",\n  ";
    appendMember(text, "rows");
    text += rows.empty() ? "[" : "[\n";
    // Written in pieces so that a listing of many thousand rows never sits in memory twice.
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ResultTableRow& row = rows[i];
        text += "    {";
        appendMember(text, "name");
        appendJsonString(text, row.cell(kColFileName));
        text += ", ";
        appendMember(text, "folder");
        appendJsonString(text, row.cell(kColPath));
        text += ", ";
        appendMember(text, "size");
        text += std::to_string(row.size());
        text += ", ";
        appendMember(text, "date");
        appendJsonString(text, row.cell(kColModified));
        text += ", ";
        appendMember(text, "version");
        appendJsonString(text, row.cell(kColVersion));
        text += ", ";
        appendMember(text, "group");
        text += table.grouped() && row.group() > 0 ? std::to_string(row.group()) : "null";
        if (withMarks) {
            text += ", ";
            appendMember(text, "marked");
            text += row.marked() ? "true" : "false";
        }
        text += i + 1 < rows.size() ? "},\n" : "}\n";
        if (text.size() >= 64 * 1024) {
            out << text;
            text.clear();
        }
    }
    text += rows.empty() ? "]\n}\n" : "  ]\n}\n";
    out << text;
}

} // namespace pw::cli
