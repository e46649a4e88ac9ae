#pragma once
// The per-user settings store of the desktop program: an INI file in the user's
// configuration folder (application "Pairwell"), sections as groups, every value a text.

#include "settings/settings_store.h"

#include <QSettings>

namespace pw {

class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();

    std::optional<std::string> value(const std::string& section,
                                     const std::string& key) const override;
    void saveValue(const std::string& section, const std::string& key,
                   const std::string& value) override;
    void deleteValue(const std::string& section, const std::string& key) override;
    void deleteSection(const std::string& section) override;
    // The keys in numeric order where they are numbers ("10" after "9"), then the others
    // in text order: QSettings lists keys in text order only.
    std::optional<std::vector<std::pair<std::string, std::string>>>
    section(const std::string& section) const override;

private:
    // Written through at once: a value is on disk before the call returns.
    void writeThrough();

    mutable QSettings m_settings;
};

} // namespace pw
