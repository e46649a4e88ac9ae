#include "fileops/recycle_preference.h"

#include <string>

namespace pw {
namespace {

constexpr const char* kPermanentLead =
    "This will delete the files permanently i.e., they are not sent to the recycle bin.\n";

} // namespace

RecyclePreference loadRecyclePreference(const SettingsStore& store) {
    return loadRecycleBin(store) == static_cast<int>(RecyclePreference::Permanent)
               ? RecyclePreference::Permanent
               : RecyclePreference::RecycleBin;
}

void saveRecyclePreference(SettingsStore& store, RecyclePreference preference) {
    saveRecycleBin(store, static_cast<int>(preference));
}

UserMessage permanentDeletePreferenceQuestion() {
    return {std::string(kPermanentLead) + "Are you sure you want to preceed.", "Confirm"};
}

UserMessage permanentDeleteOptionQuestion() {
    return {std::string(kPermanentLead) + "Are you sure to preceed.", "Confirm"};
}

RecyclePreference toggleRecyclePreference(SettingsStore& store, const AskYesNo& ask) {
    const RecyclePreference current = loadRecyclePreference(store);
    if (current == RecyclePreference::Permanent) {
        saveRecyclePreference(store, RecyclePreference::RecycleBin);
        return RecyclePreference::RecycleBin;
    }
    if (!ask(permanentDeletePreferenceQuestion())) {
        return current;
    }
    saveRecyclePreference(store, RecyclePreference::Permanent);
    return RecyclePreference::Permanent;
}

bool confirmRecycleBinUnchecked(const AskYesNo& ask) {
    return !ask(permanentDeleteOptionQuestion());
}

} // namespace pw
