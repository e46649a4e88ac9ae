#include "fileops/confirm_question.h"

namespace pw {

UserMessage fileConfirmQuestion(ShellOperation operation, const std::string& path, bool toTrash) {
    const std::string quoted = "\"" + path + "\"";
    switch (operation) {
    case ShellOperation::Delete:
        return {toTrash ? "Are you sure you want to send " + quoted + " to the trash?"
                        : "Are you sure you want to delete " + quoted + " permanently?",
                "Confirm File Delete"};
    case ShellOperation::Move:
        return {"Are you sure you want to move " + quoted + "?", "Confirm File Move"};
    case ShellOperation::Copy:
    case ShellOperation::Rename:
        break;
    }
    return {"Are you sure you want to copy " + quoted + "?", "Confirm File Copy"};
}

} // namespace pw
