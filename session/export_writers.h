#pragma once
// Exporting the result list: delimited text for databases and spreadsheets, or an HTML
// page. Both writers collect the whole file in memory and replace the target in one step.

#include "common/file_replace.h"
#include "results/result_table.h"
#include "session/session_progress.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace pw {

// The maker's web address in the page's title and footer.
inline constexpr std::string_view kMakerWebAddress = "https://pairwell.example";

// A string builder that grows its buffer by blocks of 10,000 characters and copies each
// piece in place, so that adding a line copies the collected text only when it must grow.
class AppendString {
public:
    static constexpr std::size_t kGrowBy = 10000;

    void AddToString(std::string_view strAdd);
    // The collected text; the buffer is trimmed to it. Appending afterwards grows the
    // buffer again.
    std::string ReturnString();

    std::size_t usedBytes() const { return m_usedBytes; }
    std::size_t capacity() const { return m_buffer.size(); }

private:
    std::string m_buffer;
    std::size_t m_usedBytes = 0;
};

// Which rows go into the file.
enum class ExportRows { AllFiles, MarkFilesOnly, SelectedFilesOnly };

struct ExportSelection {
    ExportRows rows = ExportRows::AllFiles;
    // For SelectedFilesOnly: whether the row at a 1-based position is selected.
    std::function<bool(int position)> isSelected;

    bool exports(const ResultTable& table, int position) const;
};

// The delimiter of the wizard's options: "1" TAB (written as one blank), "2" comma,
// "3" semicolon, "4" the other text as typed (any length, possibly empty).
std::string exportDelimiter(std::string_view exportChar, std::string_view otherText);

// The texts the page's summary copies: status panel 3 ("Files : 1234") and panel 2
// ("Duplicate Files: 5  Size: 1.00 KB"), and the date of the export ("m/d/yyyy").
struct HtmlSummary {
    std::string filesPanel;
    std::string duplicatesPanel;
    std::string generatedOn;
};

// Today's date as the page shows it: "m/d/yyyy", local time.
std::string todayShortDate();

// One field of a delimited line. RFC 4180 section 2: a field holding the delimiter, a
// double quote, CR or LF is enclosed in double quotes with its quotes doubled; any other
// field is written as it stands.
std::string delimitedField(std::string_view field, std::string_view delimiter);

// "&", "<", ">", '"' and "'" as character references, so that no file name can add
// markup or script to the page.
std::string htmlEscape(std::string_view text);

// The file texts, ending in the final extra line break. Progress: value = row position,
// maximum = row count.
std::string delimitedExportText(const ResultTable& table, const ExportSelection& selection,
                                std::string_view delimiter, const SessionProgressFn& progress = {});
std::string htmlExportText(const ResultTable& table, const ExportSelection& selection,
                           const HtmlSummary& summary, const SessionProgressFn& progress = {});

// The writers: the file at `path` is replaced (a pipe or terminal written into) only once
// the whole text is ready. A target that cannot be written, or that is a file of the
// list, fails before any row is read (file_replace.h, listed_target.h).
FileWriteResult ExportDelimited(const std::string& path, const ResultTable& table,
                                const ExportSelection& selection, std::string_view delimiter,
                                const SessionProgressFn& progress = {});
FileWriteResult ExportHtml(const std::string& path, const ResultTable& table,
                           const ExportSelection& selection, const HtmlSummary& summary,
                           const SessionProgressFn& progress = {});

} // namespace pw
