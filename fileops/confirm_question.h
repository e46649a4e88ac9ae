#pragma once
// The question a delete, move or copy asks before each file while "Yes to All" is off.

#include "fileops/shell.h"
#include "results/marking.h"

#include <string>

namespace pw {

// Text and title of the question before `operation` on `path`; a delete says whether the
// file goes to the trash or for good (toTrash).
UserMessage fileConfirmQuestion(ShellOperation operation, const std::string& path, bool toTrash);

} // namespace pw
