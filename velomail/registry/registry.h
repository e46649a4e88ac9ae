#pragma once
// The per-user registry file that maps class identifiers and ProgIDs to the libraries that
// serve them. Both the component (which writes its own entries) and the client helper
// (which reads them) use this.
//
// The file is a tree of keys, written as sections: a section header names the key by its
// path ("CLSID/{...}/InprocServer32"), the lines below it are its values ("name=value",
// with "@" for the key's default value). Names, values and paths are escaped so that any
// byte sequence survives a round trip.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include <velomail/velomail.h>

namespace velomail {

// "{212D4FD0-AEBC-11D5-B108-0050BF1BCBE3}": upper-case hexadecimal in braces.
std::string guidToString(const GUID& guid);
// Accepts the form guidToString writes, in either letter case.
std::optional<GUID> guidFromString(std::string_view text);

class Registry {
public:
    static constexpr std::string_view DefaultValue = "@";

    // Parses the file's text. Lines that are neither a section header nor a value are
    // skipped; values before the first header belong to no key and are skipped as well.
    static Registry parse(std::string_view text);
    std::string serialize() const;

    bool hasKey(std::string_view path) const;
    // Creates the key (without values) when it is missing.
    void createKey(std::string_view path);
    // Creates the key when needed and replaces a value of the same name.
    void setValue(std::string_view path, std::string_view name, std::string_view value);
    std::optional<std::string> value(std::string_view path, std::string_view name) const;
    // Removes the key and every key below it; true when anything was removed.
    bool removeTree(std::string_view path);

    std::size_t keyCount() const { return m_keys.size(); }

private:
    struct Key {
        std::string path;
        std::vector<std::pair<std::string, std::string>> values;
    };

    Key* find(std::string_view path);
    const Key* find(std::string_view path) const;

    std::vector<Key> m_keys;
};

// $XDG_CONFIG_HOME/pairwell/components.ini; XDG_CONFIG_HOME defaults to ~/.config and, as
// the freedesktop.org base directory rules ask, is ignored unless it is an absolute path.
// Empty when no home folder can be found.
std::string registryFilePath();

// Reads the registry file. A missing file gives an empty registry; any other failure gives
// nothing, so that a caller never overwrites a file it could not read.
std::optional<Registry> loadRegistry(const std::string& filePath);

// Holds an exclusive advisory lock on the registry file's folder (creating the folder) so
// that two processes updating the file at once do not lose each other's entries.
class RegistryLock {
public:
    explicit RegistryLock(const std::string& filePath);
    ~RegistryLock();
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;

    bool locked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Replaces the file as a whole (write a temporary file, sync, rename), so that readers see
// either the old or the new contents, never a half-written file.
bool saveRegistry(const std::string& filePath, const Registry& registry);

} // namespace velomail
