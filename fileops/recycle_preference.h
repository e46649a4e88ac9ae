#pragma once
// Whether the deletion dialog starts with "Send to Recycle bin" checked: a preference of
// the main window, stored as 12 (to the trash) or 11 (delete for good).

#include "results/marking.h"
#include "settings/settings_table.h"

#include <functional>

namespace pw {

// The values are the stored texts' numbers.
enum class RecyclePreference : int { Permanent = 11, RecycleBin = 12 };

// An absent value means the trash. So does any stored value other than 11: a damaged
// setting must never switch a user to permanent deletion.
RecyclePreference loadRecyclePreference(const SettingsStore& store);
void saveRecyclePreference(SettingsStore& store, RecyclePreference preference);

// Whether the menu entry shows its check mark, and whether the deletion dialog's
// "Send to Recycle bin" box starts checked each time the dialog becomes active.
inline bool sendsToRecycleBin(RecyclePreference preference) {
    return preference == RecyclePreference::RecycleBin;
}

// A Yes/No question (No the default); true for Yes.
using AskYesNo = std::function<bool(const UserMessage& question)>;

// The question of the main window's toggle, before it switches to permanent deletion.
UserMessage permanentDeletePreferenceQuestion();
// The question of the deletion dialog's box when it is unchecked.
UserMessage permanentDeleteOptionQuestion();

// The menu entry or toolbar button: from "11" to "12" at once; from "12" to "11" only
// after Yes to permanentDeletePreferenceQuestion. The new value is stored; on No nothing
// changes. Returns the value now in force.
RecyclePreference toggleRecyclePreference(SettingsStore& store, const AskYesNo& ask);

// The deletion dialog's box was just unchecked: it stays unchecked only after Yes to
// permanentDeleteOptionQuestion. Returns whether the box ends checked.
bool confirmRecycleBinUnchecked(const AskYesNo& ask);

} // namespace pw
