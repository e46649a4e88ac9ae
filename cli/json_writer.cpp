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

// One member of an object: the separator before it, the key, and a value that is already
// JSON (a number, true, false or null) or a text that is written as a JSON string.
void appendField(std::string& text, std::string_view separator, std::string_view key,
                 std::string_view json) {
    text += separator;
    appendMember(text, key);
    text += json;
}

void appendTextField(std::string& text, std::string_view separator, std::string_view key,
                     std::string_view value) {
    text += separator;
    appendMember(text, key);
    appendJsonString(text, value);
}

// Standard base64 (RFC 4648 section 4) with padding.
std::string base64(std::string_view bytes) {
    constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]))
                              << 16;
        if (i + 1 < bytes.size()) {
            group |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        }
        if (i + 2 < bytes.size()) {
            group |= static_cast<unsigned char>(bytes[i + 2]);
        }
        out += kDigits[(group >> 18) & 0x3F];
        out += kDigits[(group >> 12) & 0x3F];
        out += i + 1 < bytes.size() ? kDigits[(group >> 6) & 0x3F] : '=';
        out += i + 2 < bytes.size() ? kDigits[group & 0x3F] : '=';
    }
    return out;
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
    constexpr std::string_view kTop = ",\n  ";
    constexpr std::string_view kInRow = ", ";
    const auto& rows = table.rows();
    std::string text = "{\n  ";
    const ScanTotals& totals = summary.totals;
    appendTextField(text, "", "status", totals.statusText());
    appendTextField(text, kTop, "method", summary.method);
    appendField(text, kTop, "fuzzy", summary.fuzzy ? "true" : "false");
    appendField(text, kTop, "files", std::to_string(totals.filesFound));
    appendField(text, kTop, "folders", std::to_string(totals.foldersFound));
    appendField(text, kTop, "duplicate_count", std::to_string(totals.duplicateCount));
    appendField(text, kTop, "duplicate_size", std::to_string(totals.duplicateSize));
    appendField(text, kTop, "rows", rows.empty() ? "[" : "[\n");
    // Written in pieces so that a listing of many thousand rows never sits in memory twice.
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ResultTableRow& row = rows[i];
        text += "    {";
        appendTextField(text, "", "name", row.name);
        appendTextField(text, kInRow, "folder", row.folderText());
        // The escapes of an invalid name read back as other characters, which another
        // file may really have: the exact bytes let a consumer act on the right file.
        if (!isValidUtf8(row.folderText()) || !isValidUtf8(row.name)) {
            appendTextField(text, kInRow, "path_bytes", base64(row.fullPath()));
        }
        appendField(text, kInRow, "size", std::to_string(row.size));
        appendTextField(text, kInRow, "date", cellText(row, kColModified));
        appendTextField(text, kInRow, "version", row.version);
        appendField(text, kInRow, "group",
                    table.grouped() && row.group > 0 ? std::to_string(row.group) : "null");
        if (withMarks) {
            appendField(text, kInRow, "marked", row.marked ? "true" : "false");
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
