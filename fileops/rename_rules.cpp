#include "fileops/rename_rules.h"

#include "common/text.h"

namespace pw {

bool hasForbiddenCharacter(std::string_view name) {
    return name.find_first_of(kForbiddenNameCharacters) != std::string_view::npos ||
           name.find('\0') != std::string_view::npos;
}

UserMessage forbiddenCharactersMessage() {
    return {"A file name cannot contain any of the following characters:\n"
            "\\ / : * ? \" <> |",
            "Error"};
}

UserMessage renamePrompt(const std::string& oldName) {
    return {"Please type new name for\n" + oldName, "Rename"};
}

NameCheck checkNewName(const std::string& oldName, const std::string& answer) {
    if (hasForbiddenCharacter(answer)) {
        return NameCheck::Forbidden;
    }
    if (trimBlanks(answer).empty() || answer == oldName) {
        return NameCheck::Unchanged;
    }
    return NameCheck::Rename;
}

bool Rename(ResultTable& table, int selectedPosition, Shell& shell, const AskName& ask,
            const ShowMessage& show) {
    if (selectedPosition < 1 || selectedPosition > table.rowCount()) {
        return false;
    }
    const ResultTableRow& row = table.row(selectedPosition);
    const std::string oldName = row.name;
    std::string answer;
    for (;;) {
        answer = ask(renamePrompt(oldName), oldName).value_or(std::string());
        const NameCheck check = checkNewName(oldName, answer);
        if (check == NameCheck::Unchanged) {
            return false;
        }
        if (check == NameCheck::Rename) {
            break;
        }
        show(forbiddenCharactersMessage());
    }
    const std::string& folder = row.folderText();
    const ShellResult result = shell.renameFile(folder + oldName, folder + answer);
    if (!result.ok) {
        show({result.message.empty() ? "The file could not be renamed." : result.message, "Error"});
        return false;
    }
    table.setFileName(selectedPosition, answer);
    return true;
}

} // namespace pw
