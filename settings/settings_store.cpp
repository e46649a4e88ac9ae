#include "settings/settings_store.h"

#include <algorithm>
#include <charconv>

namespace pw {
namespace {

// Keys that are whole numbers come first, in numeric order (the stored mask list is
// "0", "1", ... "10"); other keys follow in text order.
bool storeOrder(const std::string& a, const std::string& b) {
    auto number = [](const std::string& key) -> std::optional<unsigned long long> {
        unsigned long long value = 0;
        const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), value);
        if (key.empty() || error != std::errc{} || end != key.data() + key.size()) {
            return std::nullopt;
        }
        return value;
    };
    const auto x = number(a);
    const auto y = number(b);
    if (x && y) {
        return *x < *y;
    }
    if (x || y) {
        return x.has_value();
    }
    return a < b;
}

} // namespace

std::optional<std::string> MemorySettingsStore::value(const std::string& section,
                                                      const std::string& key) const {
    const auto s = m_sections.find(section);
    if (s == m_sections.end()) {
        return std::nullopt;
    }
    const auto v = s->second.find(key);
    if (v == s->second.end()) {
        return std::nullopt;
    }
    return v->second;
}

void MemorySettingsStore::saveValue(const std::string& section, const std::string& key,
                                    const std::string& value) {
    m_sections[section][key] = value;
}

void MemorySettingsStore::deleteValue(const std::string& section, const std::string& key) {
    const auto s = m_sections.find(section);
    if (s != m_sections.end()) {
        s->second.erase(key);
    }
}

void MemorySettingsStore::deleteSection(const std::string& section) {
    m_sections.erase(section);
}

std::optional<std::vector<std::pair<std::string, std::string>>>
MemorySettingsStore::section(const std::string& section) const {
    const auto s = m_sections.find(section);
    if (s == m_sections.end()) {
        return std::nullopt;
    }
    std::vector<std::pair<std::string, std::string>> values(s->second.begin(), s->second.end());
    std::stable_sort(values.begin(), values.end(),
                     [](const auto& a, const auto& b) { return storeOrder(a.first, b.first); });
    return values;
}

} // namespace pw
