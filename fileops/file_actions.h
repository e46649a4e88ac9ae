#pragma once
// The actions on one file of the result list besides renaming it: opening it (or its
// mark, when the pointer is on the mark picture), opening every marked file, and what the
// properties window shows about it.

#include "results/marking.h"
#include "results/result_table.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pw {

// "There is no program associated with the specified type of file." / "Error": shown when
// the desktop has no handler for a file that is to be opened.
UserMessage noAssociatedProgram();

enum class OpenStep {
    Nothing,    // an empty list, or no row selected
    ToggleMark, // the pointer was last on the mark picture: mark or unmark the selection
    OpenFile,   // open the selected row's file with its default handler
};

// What "Open File" and a double click do with the row at selectedPosition, given the
// pointer's last position over the list (1/1440 inch from the start of the row).
OpenStep openStep(const ResultTable& table, int selectedPosition, int lastMouseX);

// The full paths of the marked rows, first row first: what "Open Mark Files" opens.
std::vector<std::string> markedFullPaths(const ResultTable& table);

// What the properties window shows about a file, as texts. The file itself is looked at
// (lstat): a symbolic link that stands where the file was is described, not followed.
struct FileProperties {
    std::string name;
    std::string folder;      // ends in "/"
    std::string type;        // "Regular file", "Folder", "Symbolic link" ...
    std::string size;        // "1.50 KB (1536 bytes)", "12 bytes"
    std::string modified;    // "m/d/yyyy h:mm:ss AM", local time
    std::string owner;       // "user (1000)"; the number alone for an unknown user
    std::string group;       // "staff (50)"
    std::string permissions; // "-rw-r--r-- (0644)"
};

// `error`, when the file cannot be looked at: "Cannot read <path>: <the system's reason>.".
struct FilePropertiesResult {
    std::optional<FileProperties> properties;
    std::string error;
};
FilePropertiesResult readFileProperties(const std::string& folder, const std::string& name);

// The ten characters of a file mode as a long directory listing shows them, with the
// set-user, set-group and sticky bits: "drwxr-sr-t".
std::string modeText(mode_t mode);

} // namespace pw
