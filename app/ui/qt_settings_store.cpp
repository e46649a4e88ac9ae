#include "app/ui/qt_settings_store.h"

#include "common/ui/ui_text.h"

#include <QStringList>
#include <algorithm>
#include <cstdint>

namespace pw {
namespace {

QString keyPath(const std::string& section, const std::string& key) {
    return displayText(section) + QLatin1Char('/') + displayText(key);
}

// A value's text whatever QSettings made of it: an INI value holding a comma may come
// back as a list.
std::string storedText(const QVariant& stored) {
    if (stored.typeId() == QMetaType::QStringList) {
        return typedText(stored.toStringList().join(QStringLiteral(", ")));
    }
    return typedText(stored.toString());
}

bool numericKey(const QString& key, std::uint64_t& number) {
    bool ok = false;
    number = key.toULongLong(&ok);
    return ok && !key.isEmpty() &&
           std::all_of(key.begin(), key.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

QtSettingsStore::QtSettingsStore()
    : m_settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Pairwell"),
                 QStringLiteral("Pairwell")) {}

std::optional<std::string> QtSettingsStore::value(const std::string& section,
                                                  const std::string& key) const {
    const QVariant stored = m_settings.value(keyPath(section, key));
    if (!stored.isValid()) {
        return std::nullopt;
    }
    return storedText(stored);
}

void QtSettingsStore::saveValue(const std::string& section, const std::string& key,
                                const std::string& value) {
    m_settings.setValue(keyPath(section, key), displayText(value));
    writeThrough();
}

void QtSettingsStore::deleteValue(const std::string& section, const std::string& key) {
    m_settings.remove(keyPath(section, key));
    writeThrough();
}

void QtSettingsStore::deleteSection(const std::string& section) {
    m_settings.remove(displayText(section));
    writeThrough();
}

std::optional<std::vector<std::pair<std::string, std::string>>>
QtSettingsStore::section(const std::string& section) const {
    if (!m_settings.childGroups().contains(displayText(section))) {
        return std::nullopt;
    }
    m_settings.beginGroup(displayText(section));
    QStringList keys = m_settings.childKeys();
    std::stable_sort(keys.begin(), keys.end(), [](const QString& a, const QString& b) {
        std::uint64_t na = 0;
        std::uint64_t nb = 0;
        const bool aNumber = numericKey(a, na);
        const bool bNumber = numericKey(b, nb);
        if (aNumber != bNumber) {
            return aNumber;
        }
        return aNumber ? na < nb : a < b;
    });
    std::vector<std::pair<std::string, std::string>> values;
    for (const QString& key : keys) {
        values.emplace_back(typedText(key), storedText(m_settings.value(key)));
    }
    m_settings.endGroup();
    return values;
}

void QtSettingsStore::writeThrough() {
    m_settings.sync();
}

} // namespace pw
