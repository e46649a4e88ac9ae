#pragma once
// What pairwell-cli does with the marked files: --trash, --delete, --move-to and --copy-to
// through the engine's delete and copy/move runs, or --dry-run to show it first.

#include "cli/options.h"
#include "results/result_table.h"
#include "search/scan_types.h"

#include <cstdio>
#include <functional>
#include <string>

namespace pw::cli {

// The usage errors of an action that are known before anything is scanned: a permanent
// delete without --yes when nobody can be asked (`canAsk`: standard input is a terminal),
// and a --move-to or --copy-to DIR that is not a folder. "" when there is none.
std::string checkActionUsage(const CliOptions& options, bool canAsk);

// Asks the user a yes/no question; true for yes.
using AskUser = std::function<bool(const std::string& question)>;

// Acts on the marked rows of `table` as options.action says, in row order, printing to
// `err` every file that is left as it happens, then a summary. Refuses, touching nothing,
// a run that would leave a group without any file as the scan found it (unless
// --allow-whole-group), and a permanent delete that `ask` does not confirm (unless --yes).
// Does nothing once `cancel` is set, and stops before the next file when it is set
// during the run. Returns whether no marked file was left (true when none was marked).
bool runAction(const CliOptions& options, ResultTable& table, const CancelToken& cancel,
               const AskUser& ask, std::FILE* err);

} // namespace pw::cli
