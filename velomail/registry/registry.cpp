#include "velomail/registry/registry.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velomail {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads `digits` hexadecimal digits at text[pos]; false on anything else.
bool readHex(std::string_view text, std::size_t pos, int digits, std::uint32_t& out) {
    out = 0;
    for (int i = 0; i < digits; ++i) {
        const int d = hexDigit(text[pos + static_cast<std::size_t>(i)]);
        if (d < 0) {
            return false;
        }
        out = out * 16 + static_cast<std::uint32_t>(d);
    }
    return true;
}

// Characters that would end a name, start a section or a comment, or break a line.
bool needsEscape(char c) {
    return c == '\\' || c == '\n' || c == '\r' || c == '=' || c == '[' || c == ']' || c == '#' ||
           c == ';';
}

std::string escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (!needsEscape(c)) {
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += '\\';
            out += c;
        }
    }
    return out;
}

// Unescapes text up to the first unescaped `stop` character (or the end); `pos` is left on
// the stop character.
std::string unescapeUntil(std::string_view text, std::size_t& pos, char stop) {
    std::string out;
    while (pos < text.size() && text[pos] != stop) {
        char c = text[pos++];
        if (c == '\\' && pos < text.size()) {
            c = text[pos++];
            if (c == 'n') {
                c = '\n';
            } else if (c == 'r') {
                c = '\r';
            }
        }
        out += c;
    }
    return out;
}

bool isBelow(std::string_view path, std::string_view root) {
    return path.size() > root.size() && path.starts_with(root) && path[root.size()] == '/';
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    passwd entry{};
    passwd* result = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr && result->pw_dir[0] == '/') {
        return result->pw_dir;
    }
    return {};
}

std::string parentFolder(const std::string& filePath) {
    const auto slash = filePath.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : filePath.substr(0, slash);
}

// mkdir -p with private permissions for the folders it creates.
bool makeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

std::string guidToString(const GUID& guid) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), static_cast<unsigned>(guid.Data2),
                  static_cast<unsigned>(guid.Data3), guid.Data4[0], guid.Data4[1], guid.Data4[2],
                  guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

std::optional<GUID> guidFromString(std::string_view text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}' || text[9] != '-' ||
        text[14] != '-' || text[19] != '-' || text[24] != '-') {
        return std::nullopt;
    }
    GUID guid{};
    std::uint32_t part = 0;
    if (!readHex(text, 1, 8, guid.Data1) || !readHex(text, 10, 4, part)) {
        return std::nullopt;
    }
    guid.Data2 = static_cast<std::uint16_t>(part);
    if (!readHex(text, 15, 4, part)) {
        return std::nullopt;
    }
    guid.Data3 = static_cast<std::uint16_t>(part);
    static constexpr std::size_t ByteOffsets[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (std::size_t i = 0; i < 8; ++i) {
        if (!readHex(text, ByteOffsets[i], 2, part)) {
            return std::nullopt;
        }
        guid.Data4[i] = static_cast<std::uint8_t>(part);
    }
    return guid;
}

Registry Registry::parse(std::string_view text) {
    Registry registry;
    Key* current = nullptr;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#' || line.front() == ';') {
            continue;
        }
        std::size_t pos = 0;
        if (line.front() == '[') {
            pos = 1;
            const std::string path = unescapeUntil(line, pos, ']');
            if (pos + 1 != line.size() || path.empty()) {
                current = nullptr;
                continue;
            }
            registry.createKey(path);
            current = registry.find(path);
            continue;
        }
        const std::string name = unescapeUntil(line, pos, '=');
        if (current == nullptr || pos == line.size()) {
            continue;
        }
        ++pos;
        const std::string value = unescapeUntil(line, pos, '\n');
        const std::string path = current->path;
        registry.setValue(path, name, value);
        // setValue may have grown m_keys; look the key up again.
        current = registry.find(path);
    }
    return registry;
}

std::string Registry::serialize() const {
    std::string out;
    for (const Key& key : m_keys) {
        out += '[';
        out += escape(key.path);
        out += "]\n";
        for (const auto& [name, value] : key.values) {
            out += escape(name);
            out += '=';
            out += escape(value);
            out += '\n';
        }
    }
    return out;
}

Registry::Key* Registry::find(std::string_view path) {
    const auto it =
        std::find_if(m_keys.begin(), m_keys.end(), [&](const Key& k) { return k.path == path; });
    return it == m_keys.end() ? nullptr : &*it;
}

const Registry::Key* Registry::find(std::string_view path) const {
    const auto it =
        std::find_if(m_keys.begin(), m_keys.end(), [&](const Key& k) { return k.path == path; });
    return it == m_keys.end() ? nullptr : &*it;
}

bool Registry::hasKey(std::string_view path) const {
    return find(path) != nullptr;
}

void Registry::createKey(std::string_view path) {
    if (find(path) == nullptr) {
        m_keys.push_back(Key{std::string(path), {}});
    }
}

void Registry::setValue(std::string_view path, std::string_view name, std::string_view value) {
    createKey(path);
    Key* key = find(path);
    for (auto& [existingName, existingValue] : key->values) {
        if (existingName == name) {
            existingValue = value;
            return;
        }
    }
    key->values.emplace_back(std::string(name), std::string(value));
}

std::optional<std::string> Registry::value(std::string_view path, std::string_view name) const {
    if (const Key* key = find(path)) {
        for (const auto& [existingName, existingValue] : key->values) {
            if (existingName == name) {
                return existingValue;
            }
        }
    }
    return std::nullopt;
}

bool Registry::removeTree(std::string_view path) {
    const auto removed = std::erase_if(
        m_keys, [&](const Key& k) { return k.path == path || isBelow(k.path, path); });
    return removed > 0;
}

std::string registryFilePath() {
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        config = xdg;
    } else {
        const std::string home = homeFolder();
        if (home.empty()) {
            return {};
        }
        config = home + "/.config";
    }
    while (config.size() > 1 && config.back() == '/') {
        config.pop_back();
    }
    return config + "/pairwell/components.ini";
}

std::optional<Registry> loadRegistry(const std::string& filePath) {
    const int fd = open(filePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? std::optional<Registry>(Registry{}) : std::nullopt;
    }
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            close(fd);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    return Registry::parse(text);
}

RegistryLock::RegistryLock(const std::string& filePath) {
    const std::string folder = parentFolder(filePath);
    if (!makeFolders(folder)) {
        return;
    }
    m_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) {
        return;
    }
    int rc = 0;
    do {
        rc = flock(m_fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        close(m_fd);
        m_fd = -1;
    }
}

RegistryLock::~RegistryLock() {
    if (m_fd >= 0) {
        close(m_fd); // closing the descriptor releases the lock
    }
}

bool saveRegistry(const std::string& filePath, const Registry& registry) {
    if (!makeFolders(parentFolder(filePath))) {
        return false;
    }
    const std::string temporary = filePath + ".tmp." + std::to_string(getpid());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool written = writeAll(fd, registry.serialize()) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temporary.c_str(), filePath.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace velomail
