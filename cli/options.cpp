#include "cli/options.h"

#include "common/text.h"
#include "search/enumeration.h"
#include "search/scan.h"

#include <charconv>

namespace pw::cli {

namespace {

constexpr std::string_view kUsage =
    R"USAGE(Usage: pairwell-cli scan [OPTIONS] FOLDER...
       pairwell-cli load [OPTIONS] FILE.pwf
       pairwell-cli --help

Finds duplicate files in the given folders and prints them, group by group; or loads a
saved session and prints its result the same way.

Options:
  --method byte|crc|name|zero  how files are compared (default: byte)
                                 byte  files of equal size, compared byte by byte
                                 crc   files of equal size, compared by CRC-32
                                 name  files with equal names, whatever their content
                                       (letter case aside: Report.doc = REPORT.DOC)
                                 zero  every empty file, without groups
  --fuzzy                      with --method byte: files of equal size count as equal
                               when at least half of their 1000-byte blocks are equal
  --no-subfolders              search the folders themselves only
  --mask TEXT                  file-type mask, for example "Pictures(*.jpg;*.png)";
                               a mask containing *.* takes every file
                               (default: "All files(*.*)")
  --min KB                     skip files smaller than KB kilobytes (1 KB = 1024 bytes)
  --max KB                     skip files larger than KB kilobytes (default: no limit)
  --exclude FOLDER             leave FOLDER and everything below it out (repeatable)
  --hidden                     take hidden files and folders (names beginning with ".")
  --no-protect                 search the system's trees too (/usr, /etc, /var/lib ...)
  --max-files N                when more than 100000 files are found, go on only if
                               there are at most N (default: always go on)
  --session FILE               scan: also save the search and its result as a session
  --rescan                     load: compare the stored files again by content (not
                               for a zero-size listing)
  --export FILE                export the result: an HTML page when FILE ends in .htm
                               or .html, otherwise delimited text
  --delimiter TEXT             field delimiter of delimited text (default: ",")
  --mark-duplicates            mark every file of a group but the newest; the text
                               output then lists the marked files only, one a line
                               (the files to delete to keep the newest of each group)
  --export-marked              export the marked rows only
  --trash                      move the marked files to the trash
  --delete                     delete the marked files for good; asks first when
                               standard input is a terminal, else needs --yes
  --move-to DIR                move the marked files into the folder DIR
  --copy-to DIR                copy the marked files into the folder DIR
                               (one of these four actions at a time, after
                               --mark-duplicates; see Actions below)
  --remove-empty-folders       with --trash, --delete or --move-to: remove each
                               folder that held one of the files and is left empty
  --allow-whole-group          act even on a group that would keep no file as the
                               scan found it (refused otherwise)
  --dry-run                    print what the action would do; touch nothing
  --yes                        delete without asking
  -0, --null                   end every path with a NUL byte instead of a line end
                               and write it as its bytes, never quoted; an empty
                               entry (one more NUL) separates two groups. For
                               xargs -0 and the like; not with --json
  --json                       print one JSON object instead of the list of paths
                               (with --mark-duplicates every row has "marked")
  --progress, --no-progress    show or hide the progress line on stderr
                               (default: shown when stderr is a terminal)
  -h, --help                   show this text

Output: the full path of every file of a group, one per line, groups separated by an
empty line (with --method zero: one path per line). A path holding a control character
(a line end, an escape ...) or bytes that are not valid UTF-8, or beginning with $',
is printed in the shell's $'...' quoting (\n, \t, \e, \\, \' and \xHH for other
bytes), so that every line is one path; a note on stderr says so. Paths in messages on
stderr are quoted alike. The status, the totals and the elapsed time go to stderr.
With --json, a file or folder name that is not valid UTF-8 is written byte by byte as
\u00XX escapes, and its row has "path_bytes": the exact bytes of folder and name in
base64.

--session and --export replace a regular file in one step (a symbolic link stays and
its file is replaced) and write into a terminal or pipe as it stands; /dev/stdout,
/dev/fd/N and >(...) write through the descriptor the shell opened (after what a file
opened with >> holds). They refuse a folder, a block device, a socket, a symbolic link
to nothing, a pipe that nobody reads, and a file of the result list.

Actions: after the list, the marked files are trashed, deleted, moved or copied one
by one. A file to trash, delete or move whose size or time changed since the scan, or
that another file replaced, is left where it is. A file arriving in DIR under a taken
name is called "name (2).ext", "name (3).ext" ...; nothing is overwritten. A move to
another file system copies, syncs and checks the file before it removes the original.
A run that would leave a group without any file as the scan found it (every file
marked, or the kept ones changed or gone since) is refused and names the group. Each
file left gets a line on stderr, then a summary says how many files were dealt with
and how many were left; --dry-run prints one "would ..." line per file instead.

Exit status: 0 done; 1 something could not be searched, read or written: a FOLDER
is missing, not a folder or protected, a file or folder could not be read, the scan
stopped (--max-files, or an error), the session file is damaged or not a session at
all, an output file could not be written, or an action left a marked file or was
refused; 2 usage error; 130 interrupted by Ctrl-C (the groups found until then are
printed; an action stops before its next file).
)USAGE";

std::optional<SearchMethod> parseMethod(std::string_view text) {
    for (const auto method : {SearchMethod::ByteToByte, SearchMethod::Crc32, SearchMethod::SameName,
                              SearchMethod::ZeroSize}) {
        if (methodName(method) == text) {
            return method;
        }
    }
    return std::nullopt;
}

// The engine takes any numeric size text, but a negative limit is no limit and one whose
// byte count does not fit 64 bits fails the scan half-way: both are mistakes to catch here.
constexpr std::string_view kLargestKilobytes = "9007199254740991";

bool isKilobyteLimit(std::string_view value) {
    if (!isNumeric(value) || trimBlanks(value).starts_with('-')) {
        return false;
    }
    try {
        parseSizeLimits(value, "");
        return true;
    } catch (const ScanFailure&) {
        return false;
    }
}

bool takesValue(std::string_view option) {
    return option == "--method" || option == "--mask" || option == "--min" || option == "--max" ||
           option == "--exclude" || option == "--max-files" || option == "--session" ||
           option == "--export" || option == "--delimiter" || option == "--move-to" ||
           option == "--copy-to";
}

// A second --move-to or --copy-to would silently replace the first folder.
std::string setAction(CliOptions& options, Action action) {
    const bool takesFolder = action == Action::MoveTo || action == Action::CopyTo;
    if (options.action == action && takesFolder) {
        return std::string(actionOption(action)) + " takes one folder";
    }
    if (options.action != Action::None && options.action != action) {
        return "one action at a time: " + std::string(actionOption(options.action)) + " or " +
               std::string(actionOption(action));
    }
    options.action = action;
    return {};
}

// Applies one option that takes a value; returns a usage error or "".
std::string applyValue(CliOptions& options, std::string_view option, std::string_view value) {
    if (option == "--method") {
        const auto method = parseMethod(value);
        if (!method) {
            return "unknown method '" + std::string(value) + "' (byte, crc, name or zero)";
        }
        options.search.method = *method;
    } else if (option == "--mask") {
        if (trimBlanks(value).empty()) {
            return "--mask needs a mask text";
        }
        options.mask = value;
    } else if (option == "--min" || option == "--max") {
        if (!isKilobyteLimit(value)) {
            return std::string(option) + " needs a number of kilobytes from 0 to " +
                   std::string(kLargestKilobytes) + ", not '" + std::string(value) + "'";
        }
        (option == "--min" ? options.minKb : options.maxKb) = value;
    } else if (option == "--exclude") {
        if (value.empty()) {
            return "--exclude needs a folder";
        }
        options.excluded.push_back(absoluteFolder(value));
    } else if (option == "--max-files") {
        std::int64_t count = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), count);
        if (ec != std::errc() || end != value.data() + value.size() || count < 0) {
            return "--max-files needs a whole number of files, not '" + std::string(value) + "'";
        }
        options.maxFiles = count;
    } else if (option == "--session" || option == "--export") {
        if (value.empty()) {
            return std::string(option) + " needs a file name";
        }
        (option == "--session" ? options.sessionFile : options.exportFile) = value;
    } else if (option == "--delimiter") {
        if (value.empty()) {
            return "--delimiter needs a text";
        }
        options.delimiter = value;
    } else if (option == "--move-to" || option == "--copy-to") {
        if (value.empty()) {
            return std::string(option) + " needs a folder";
        }
        options.actionFolder = absoluteFolder(value);
        return setAction(options, option == "--move-to" ? Action::MoveTo : Action::CopyTo);
    }
    return {};
}

// Applies one option without a value; returns a usage error or "", and nullopt when the
// option is unknown.
std::optional<std::string> applyFlag(CliOptions& options, std::string_view option) {
    if (option == "--trash" || option == "--delete") {
        return setAction(options, option == "--trash" ? Action::Trash : Action::Delete);
    }
    if (option == "--help" || option == "-h") {
        options.help = true;
    } else if (option == "--fuzzy") {
        options.search.fuzzy = true;
    } else if (option == "--no-subfolders") {
        options.subFolders = false;
    } else if (option == "--hidden") {
        options.search.includeHidden = true;
    } else if (option == "--no-protect") {
        options.search.protectSystem = false;
    } else if (option == "--json") {
        options.json = true;
    } else if (option == "--null" || option == "-0") {
        options.nulEnded = true;
    } else if (option == "--progress") {
        options.progress = ProgressMode::On;
    } else if (option == "--no-progress") {
        options.progress = ProgressMode::Off;
    } else if (option == "--rescan") {
        options.rescan = true;
    } else if (option == "--mark-duplicates") {
        options.markDuplicates = true;
    } else if (option == "--export-marked") {
        options.exportMarked = true;
    } else if (option == "--remove-empty-folders") {
        options.removeEmptyFolders = true;
    } else if (option == "--allow-whole-group") {
        options.allowWholeGroup = true;
    } else if (option == "--dry-run") {
        options.dryRun = true;
    } else if (option == "--yes") {
        options.yes = true;
    } else {
        return std::nullopt;
    }
    return std::string();
}

// The options that only mean something with an action, some of them only with one that
// takes files away from where they are; returns a usage error or "".
std::string checkActionOptions(const CliOptions& options) {
    struct Companion {
        bool given;
        std::string_view name;
        bool removingOnly;
    };
    for (const Companion& option :
         {Companion{options.removeEmptyFolders, "--remove-empty-folders", true},
          Companion{options.allowWholeGroup, "--allow-whole-group", true},
          Companion{options.dryRun, "--dry-run", false}, Companion{options.yes, "--yes", false}}) {
        if (option.given && options.action == Action::None) {
            return std::string(option.name) +
                   " goes with --trash, --delete, --move-to or --copy-to";
        }
        if (option.given && option.removingOnly && options.action == Action::CopyTo) {
            return std::string(option.name) +
                   " works with --trash, --delete or --move-to (a copy removes nothing)";
        }
    }
    if (options.action != Action::None && !options.markDuplicates) {
        return std::string(actionOption(options.action)) +
               " acts on the marked files: add --mark-duplicates to mark them";
    }
    return {};
}

} // namespace

std::string_view usageText() {
    return kUsage;
}

std::string_view actionOption(Action action) {
    switch (action) {
    case Action::Trash:
        return "--trash";
    case Action::Delete:
        return "--delete";
    case Action::MoveTo:
        return "--move-to";
    case Action::CopyTo:
        return "--copy-to";
    case Action::None:
        break;
    }
    return "";
}

std::string_view methodName(SearchMethod method) {
    switch (method) {
    case SearchMethod::ByteToByte:
        return "byte";
    case SearchMethod::Crc32:
        return "crc";
    case SearchMethod::SameName:
        return "name";
    case SearchMethod::ZeroSize:
        return "zero";
    }
    return "byte";
}

bool exportsHtml(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || fileName.find('/', dot) != std::string_view::npos) {
        return false;
    }
    const std::string ext = lowerText(fileName.substr(dot + 1));
    return ext == "htm" || ext == "html";
}

ParseResult parseArguments(const std::vector<std::string_view>& args) {
    ParseResult result;
    CliOptions& options = result.options;
    bool sawCommand = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
            std::string_view option = arg;
            std::optional<std::string_view> value;
            if (const auto eq = arg.find('='); arg.starts_with("--") && eq != arg.npos) {
                option = arg.substr(0, eq);
                value = arg.substr(eq + 1);
            }
            if (takesValue(option)) {
                if (!value) {
                    if (i + 1 == args.size()) {
                        result.error = std::string(option) + " needs a value";
                        return result;
                    }
                    value = args[++i];
                }
                if (auto error = applyValue(options, option, *value); !error.empty()) {
                    result.error = std::move(error);
                    return result;
                }
            } else {
                const auto error = value ? std::nullopt : applyFlag(options, option);
                if (!error || !error->empty()) {
                    result.error = error ? *error : "unknown option '" + std::string(arg) + "'";
                    return result;
                }
            }
        } else if (!sawCommand) {
            if (arg != "scan" && arg != "load") {
                result.error =
                    "unknown command '" + std::string(arg) + "' (the commands are scan and load)";
                return result;
            }
            options.command = arg == "load" ? Command::Load : Command::Scan;
            sawCommand = true;
        } else if (options.command == Command::Load) {
            if (!options.loadFile.empty()) {
                result.error = "load takes one session FILE";
                return result;
            }
            if (arg.empty()) {
                result.error = "an empty FILE name";
                return result;
            }
            options.loadFile = arg;
        } else {
            if (arg.empty()) {
                result.error = "an empty FOLDER name";
                return result;
            }
            // The scan would make the folder absolute anyway; doing it here keeps a saved
            // session usable from any working folder.
            options.folders.push_back(absoluteFolder(arg));
        }
    }
    if (options.help) {
        return result;
    }
    if (!sawCommand) {
        result.error = "no command given (the commands are scan and load)";
    } else if (options.command == Command::Load) {
        if (options.loadFile.empty()) {
            result.error = "no session FILE given";
        } else if (!options.sessionFile.empty()) {
            result.error = "--session works with scan only";
        }
    } else if (options.folders.empty()) {
        result.error = "no FOLDER given";
    } else if (options.search.fuzzy && options.search.method != SearchMethod::ByteToByte) {
        result.error = "--fuzzy works with --method byte only";
    } else if (options.rescan) {
        result.error = "--rescan works with load only";
    } else if (options.markDuplicates && options.search.method == SearchMethod::ZeroSize) {
        result.error = "--mark-duplicates needs groups (not --method zero)";
    }
    if (result.error.empty() && options.exportMarked && options.exportFile.empty()) {
        result.error = "--export-marked needs --export FILE";
    }
    if (result.error.empty() && options.nulEnded && options.json) {
        result.error = "--null works with the text output only (not with --json)";
    }
    if (result.error.empty()) {
        result.error = checkActionOptions(options);
    }
    return result;
}

ScanRequest buildRequest(const CliOptions& options) {
    ScanRequest request;
    request.options = options.search;
    for (const auto& folder : options.folders) {
        SearchPathEntry entry;
        entry.folder = folder;
        entry.subFolders = options.subFolders ? "Yes" : "No";
        entry.fileTypes = options.mask;
        entry.minSize = options.minKb;
        entry.maxSize = options.maxKb;
        entry.icon = kSearchIcon;
        request.paths.push_back(std::move(entry));
    }
    for (const auto& folder : options.excluded) {
        SearchPathEntry entry;
        entry.folder = folder;
        entry.subFolders = options.subFolders ? "Yes" : "No";
        entry.fileTypes.clear();
        entry.minSize.clear();
        entry.maxSize.clear();
        entry.icon = kExcludeIcon;
        request.paths.push_back(std::move(entry));
    }
    return request;
}

} // namespace pw::cli
