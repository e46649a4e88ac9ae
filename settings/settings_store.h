#pragma once
// The per-user settings store as the engine sees it: text values by section and key.
// The desktop program implements it over its settings file; tests use MemorySettingsStore.
// Which sections and keys exist, and their defaults, is settings_table.h's business.

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pw {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored text, or nullopt when there is none.
    virtual std::optional<std::string> value(const std::string& section,
                                             const std::string& key) const = 0;
    virtual void saveValue(const std::string& section, const std::string& key,
                           const std::string& value) = 0;
    virtual void deleteValue(const std::string& section, const std::string& key) = 0;
    virtual void deleteSection(const std::string& section) = 0;
    // The values of a section in store order, or nullopt when the section does not exist.
    virtual std::optional<std::vector<std::pair<std::string, std::string>>>
    section(const std::string& section) const = 0;

    // value() with a default for a missing value.
    std::string get(const std::string& section, const std::string& key,
                    const std::string& fallback) const {
        return value(section, key).value_or(fallback);
    }
};

// Settings held in memory. Store order of a section is the numeric order of keys that are
// numbers, then the others in text order (as the desktop program's store orders them).
class MemorySettingsStore : public SettingsStore {
public:
    std::optional<std::string> value(const std::string& section,
                                     const std::string& key) const override;
    void saveValue(const std::string& section, const std::string& key,
                   const std::string& value) override;
    void deleteValue(const std::string& section, const std::string& key) override;
    void deleteSection(const std::string& section) override;
    std::optional<std::vector<std::pair<std::string, std::string>>>
    section(const std::string& section) const override;

private:
    std::map<std::string, std::map<std::string, std::string>> m_sections;
};

} // namespace pw
