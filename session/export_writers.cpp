#include "session/export_writers.h"

#include "results/listed_target.h"

#include <ctime>
#include <optional>

namespace pw {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The text of a status panel from a 1-based character on; empty when it is shorter.
std::string_view panelFrom(std::string_view panel, std::size_t firstCharacter) {
    return panel.size() >= firstCharacter ? panel.substr(firstCharacter - 1) : std::string_view{};
}

void addLine(AppendString& out, std::string_view line) {
    out.AddToString(line);
    out.AddToString(kLineEnd);
}

// A target that cannot be written, or that is a file of the list, fails before any row
// is read.
FileWriteResult checkExportTarget(const std::string& path, const ResultTable& table) {
    if (FileWriteResult probe = probeTarget(path); !probe.ok) {
        return probe;
    }
    return refuseListedTarget(path, table);
}

void reportRow(const SessionProgressFn& progress, int position, int count) {
    if (progress) {
        progress({{}, position, count});
    }
}

void addHtmlHead(AppendString& out, const HtmlSummary& summary) {
    addLine(out, "<html><head>");
    addLine(out, "<title>Export List - Pairwell(" + std::string(kMakerWebAddress) + ")</title>");
    addLine(out, "</head><style>");
    addLine(out,
            ".title { font-family: Arial; font-size: 14pt; color: #0099FF; font-weight: bold}");
    addLine(out, ".tr1   { font-family: Verdana; font-size: 10pt; padding: 0; margin-top:0; "
                 "margin-bottom:0 }");
    addLine(out, ".th    { margin:2 3; font-family: Arial; font-size: 10pt; color: #FFFFFF; "
                 "font-weight: bold; text-align:left; background-color:#BF0005; "
                 "line-height:100% }");
    addLine(out, ".even  { text-align: left; line-height: 100%; font-family: Arial; "
                 "font-size: 10pt; margin: 0 3; background-color: #ECF5FF }");
    addLine(out, ".odd   { font-family: Arial; font-size: 10pt; text-align: left; "
                 "line-height: 100%; margin: 0 3 }");
    addLine(out, "</style><body>");
    addLine(out, "<table border='0' width='350'>");
    addLine(out, "<tr height='15' width='130'><td class='title' colspan='2' width='344'> "
                 "Pairwell </td></tr>");
    addLine(out, "<tr class='tr1'><td width='120'>Total Scanned</td> <td width='220'><b>" +
                     htmlEscape(panelFrom(summary.filesPanel, 8)) + "</b></td></tr>");
    addLine(out, "<tr class='tr1'><td width='120'>Total Duplicates</td><td width='220'><b>" +
                     htmlEscape(panelFrom(summary.duplicatesPanel, 17)) + "</b></td></tr>");
    addLine(out, "<tr class='tr1'><td width='120'>Generate on</td><td width='220'><b>" +
                     htmlEscape(summary.generatedOn) + "</b></td></tr></table><hr>");
    addLine(out, "<table border='0' cellspacing='1' style='border-collapse: collapse' "
                 "bordercolor='#111111' cellpadding='2' width='100%'>");
    addLine(out, "<tr><th class='th'>File Name</th>");
    addLine(out, "<th class='th' nowrap>Size(Bytes)</th>");
    addLine(out, "<th class='th' nowrap>Last Modified</th>");
    addLine(out, "<th class='th'>Version</th>");
    addLine(out, "<th class='th'>Group#</th>");
    addLine(out, "<th class='th'>Path</th></tr>");
}

void addHtmlRow(AppendString& out, const ResultTableRow& row, std::string_view cls) {
    const std::string open = "<td class='" + std::string(cls) + "'>";
    const std::string openNowrap = "<td class='" + std::string(cls) + "' nowrap>";
    addLine(out, "<tr>" + open + htmlEscape(cellText(row, kColFileName)) + "</td>");
    addLine(out, open + htmlEscape(cellText(row, kColSize)) + "</td>");
    addLine(out, openNowrap + htmlEscape(cellText(row, kColModified)) + "</td>");
    addLine(out, open + htmlEscape(cellText(row, kColVersion)) + "</td>");
    addLine(out, open + htmlEscape(cellText(row, kColGroup)) + "</td>");
    addLine(out, open + htmlEscape(cellText(row, kColPath)) + "</td></tr>");
}

} // namespace

void AppendString::AddToString(std::string_view strAdd) {
    if (m_usedBytes + strAdd.size() > m_buffer.size()) {
        const std::size_t missing = m_usedBytes + strAdd.size() - m_buffer.size();
        const std::size_t blocks = (missing + kGrowBy - 1) / kGrowBy;
        m_buffer.resize(m_buffer.size() + blocks * kGrowBy, ' ');
    }
    m_buffer.replace(m_usedBytes, strAdd.size(), strAdd);
    m_usedBytes += strAdd.size();
}

std::string AppendString::ReturnString() {
    m_buffer.resize(m_usedBytes);
    return m_buffer;
}

bool ExportSelection::exports(const ResultTable& table, int position) const {
    switch (rows) {
    case ExportRows::MarkFilesOnly:
        return table.row(position).marked;
    case ExportRows::SelectedFilesOnly:
        return isSelected && isSelected(position);
    case ExportRows::AllFiles:
        break;
    }
    return true;
}

std::string exportDelimiter(std::string_view exportChar, std::string_view otherText) {
    if (exportChar == "1") {
        return " ";
    }
    if (exportChar == "2") {
        return ",";
    }
    if (exportChar == "3") {
        return ";";
    }
    return std::string(otherText);
}

std::string todayShortDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::to_string(local.tm_mon + 1) + "/" + std::to_string(local.tm_mday) + "/" +
           std::to_string(local.tm_year + 1900);
}

std::string delimitedField(std::string_view field, std::string_view delimiter) {
    const bool quote = (!delimiter.empty() && field.find(delimiter) != std::string_view::npos) ||
                       field.find_first_of("\"\r\n") != std::string_view::npos;
    if (!quote) {
        return std::string(field);
    }
    std::string out = "\"";
    for (const char c : field) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
    return out;
}

std::string htmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string delimitedExportText(const ResultTable& table, const ExportSelection& selection,
                                std::string_view delimiter, const SessionProgressFn& progress) {
    AppendString out;
    auto addFields = [&out, delimiter](std::initializer_list<std::string_view> fields) {
        bool first = true;
        for (const std::string_view f : fields) {
            if (!first) {
                out.AddToString(delimiter);
            }
            out.AddToString(delimitedField(f, delimiter));
            first = false;
        }
        out.AddToString(kLineEnd);
    };
    addFields({"File Name", "Size(Bytes)", "Last Modified", "Version", "Group", "Path"});
    const int count = table.rowCount();
    for (int i = 1; i <= count; ++i) {
        if (selection.exports(table, i)) {
            const ResultTableRow& row = table.row(i);
            addFields({cellText(row, kColFileName), cellText(row, kColSize),
                       cellText(row, kColModified), cellText(row, kColVersion),
                       cellText(row, kColGroup), cellText(row, kColPath)});
        }
        reportRow(progress, i, count);
    }
    out.AddToString(kLineEnd);
    return out.ReturnString();
}

std::string htmlExportText(const ResultTable& table, const ExportSelection& selection,
                           const HtmlSummary& summary, const SessionProgressFn& progress) {
    AppendString out;
    addHtmlHead(out, summary);
    // Every group of the list takes one count, exported or not, so the shading of the
    // exported rows matches the list's. Rows without a group number (the zero-size
    // listing's "N/A") are one group of their own.
    std::int64_t counter = 0;
    std::optional<std::int32_t> previous = 0;
    const int count = table.rowCount();
    for (int i = 1; i <= count; ++i) {
        const ResultTableRow& row = table.row(i);
        const std::optional<std::int32_t> group =
            row.group > 0 ? std::optional<std::int32_t>(row.group) : std::nullopt;
        if (group != previous) {
            previous = group;
            ++counter;
        }
        if (selection.exports(table, i)) {
            addHtmlRow(out, row, counter % 2 == 1 ? "odd" : "even");
        }
        reportRow(progress, i, count);
    }
    out.AddToString("</table><table border='0' cellspacing='0' style='border-collapse: "
                    "collapse' bordercolor='#111111' width='100%' bgcolor='#666666' "
                    "height='20'>");
    out.AddToString("<tr><td width='100%' height='18'><p align='center'><b><font "
                    "face='Verdana' size='1' color='#FFFFFF'> ");
    out.AddToString(kMakerWebAddress);
    out.AddToString("</font></b></td></tr></table></body></html>");
    out.AddToString(kLineEnd);
    return out.ReturnString();
}

FileWriteResult ExportDelimited(const std::string& path, const ResultTable& table,
                                const ExportSelection& selection, std::string_view delimiter,
                                const SessionProgressFn& progress) {
    if (FileWriteResult checked = checkExportTarget(path, table); !checked.ok) {
        return checked;
    }
    return replaceFileContent(path, delimitedExportText(table, selection, delimiter, progress));
}

FileWriteResult ExportHtml(const std::string& path, const ResultTable& table,
                           const ExportSelection& selection, const HtmlSummary& summary,
                           const SessionProgressFn& progress) {
    if (FileWriteResult checked = checkExportTarget(path, table); !checked.ok) {
        return checked;
    }
    return replaceFileContent(path, htmlExportText(table, selection, summary, progress));
}

} // namespace pw
