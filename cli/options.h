#pragma once
// Command-line arguments of pairwell-cli and the scan request they describe.

#include "search/scan_types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pw::cli {

enum class ProgressMode { Auto, On, Off };

enum class Command { Scan, Load };

// What is done with the marked files after they are listed.
enum class Action { None, Trash, Delete, MoveTo, CopyTo };

// The option that asks for the action: "--trash", "--delete", "--move-to", "--copy-to".
std::string_view actionOption(Action action);

struct CliOptions {
    bool help = false;
    Command command = Command::Scan;
    SearchOptions search;
    std::vector<std::string> folders;  // absoluteFolder() of the arguments
    std::vector<std::string> excluded; // the same form
    std::string mask = "All files(*.*)";
    bool subFolders = true;
    std::string minKb; // as typed; empty when not given
    std::string maxKb;
    bool json = false;
    bool nulEnded = false; // -0: paths ended by NUL bytes, written as their bytes
    ProgressMode progress = ProgressMode::Auto;
    std::optional<std::int64_t> maxFiles; // answers the too-many-files question
    std::string sessionFile;              // scan: also save the scan as this session
    std::string loadFile;                 // load: the session to read
    bool rescan = false;                  // load: compare the stored files again
    std::string exportFile;               // export the result list to this file
    std::string delimiter = ",";          // of a delimited export
    bool markDuplicates = false;          // mark all duplicates but the newest of a group
    bool exportMarked = false;            // export the marked rows only
    Action action = Action::None;
    std::string actionFolder;        // --move-to, --copy-to: absoluteFolder() of DIR
    bool removeEmptyFolders = false; // of the files trashed, deleted or moved
    bool allowWholeGroup = false;    // act even where a group would keep no file
    bool dryRun = false;             // say what the action would do, do nothing
    bool yes = false;                // --delete without asking
};

// Whether an export file name asks for the HTML page (".htm" or ".html", any case).
bool exportsHtml(std::string_view fileName);

struct ParseResult {
    CliOptions options;
    std::string error; // non-empty: a usage error, shown with the usage text
};

// Parses argv[1..]. Never exits and never prints; the caller decides what to show.
ParseResult parseArguments(const std::vector<std::string_view>& args);

// The usage text of --help.
std::string_view usageText();

// The method's name on the command line and in the JSON output: byte, crc, name, zero.
std::string_view methodName(SearchMethod method);

// One search-path row per folder, then one excluded row per --exclude.
ScanRequest buildRequest(const CliOptions& options);

} // namespace pw::cli
