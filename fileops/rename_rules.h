#pragma once
// Renaming the selected file of the result list: the input box's texts, the characters a
// new name may not hold, and the rename itself through the shell.

#include "fileops/shell.h"
#include "results/marking.h"
#include "results/result_table.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pw {

// Backslash, slash, colon, asterisk, question mark, double quote, less-than, greater-than
// and vertical bar. Only "/" and NUL are refused by the kernel, but names with the others
// break on the file systems and tools users share files with, so they stay refused.
inline constexpr std::string_view kForbiddenNameCharacters = "\\/:*?\"<>|";

// Whether the name holds one of kForbiddenNameCharacters, or a NUL byte (which would cut
// the name short on its way to the system call).
bool hasForbiddenCharacter(std::string_view name);

// "A file name cannot contain any of the following characters:" and, on the next line,
// \ / : * ? " <> |   (title "Error").
UserMessage forbiddenCharactersMessage();

// The input box: title "Rename", prompt "Please type new name for", a line break and the
// old name; the input starts with the old name.
UserMessage renamePrompt(const std::string& oldName);

enum class NameCheck {
    Forbidden, // show forbiddenCharactersMessage and ask again
    Unchanged, // blank after trimming, or exactly the old name (letter case counts): stop
    Rename,    // rename to the answer as typed, blanks included
};
NameCheck checkNewName(const std::string& oldName, const std::string& answer);

// The input box: shows the prompt with `preset` in the input; nullopt when cancelled.
using AskName =
    std::function<std::optional<std::string>(const UserMessage& prompt, const std::string& preset)>;
using ShowMessage = std::function<void(const UserMessage& message)>;

// The Rename command on the row at selectedPosition: asks for the new name until it holds
// no forbidden character (showing the message each time), then renames the file in its
// folder and, on success, sets the row's file name to the answer. The extension column
// follows the new name; the mark, group and sort keys stay.
// A failed rename is shown with the shell's reason (title "Error") and the row keeps its
// name. Returns whether the file was renamed. Nothing happens on an empty list or for a
// position that names no row.
bool Rename(ResultTable& table, int selectedPosition, Shell& shell, const AskName& ask,
            const ShowMessage& show);

} // namespace pw
