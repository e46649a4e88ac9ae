#include "fileops/file_actions.h"

#include "common/format.h"

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

namespace pw {
namespace {

// A user or group name and its number; the number alone when the system knows no name.
template <class Entry, class Lookup>
std::string idText(unsigned id, Lookup lookup, char* Entry::*nameField) {
    Entry entry{};
    Entry* found = nullptr;
    std::string buffer(16384, '\0');
    if (lookup(id, &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        return std::string(found->*nameField) + " (" + std::to_string(id) + ")";
    }
    return std::to_string(id);
}

std::string typeText(mode_t mode) {
    if (S_ISREG(mode)) {
        return "Regular file";
    }
    if (S_ISDIR(mode)) {
        return "Folder";
    }
    if (S_ISLNK(mode)) {
        return "Symbolic link";
    }
    if (S_ISFIFO(mode)) {
        return "Named pipe";
    }
    if (S_ISSOCK(mode)) {
        return "Socket";
    }
    return "Device";
}

char typeLetter(mode_t mode) {
    if (S_ISDIR(mode)) {
        return 'd';
    }
    if (S_ISLNK(mode)) {
        return 'l';
    }
    if (S_ISFIFO(mode)) {
        return 'p';
    }
    if (S_ISSOCK(mode)) {
        return 's';
    }
    if (S_ISCHR(mode)) {
        return 'c';
    }
    if (S_ISBLK(mode)) {
        return 'b';
    }
    return '-';
}

std::string octalText(mode_t mode) {
    std::string digits;
    for (int shift = 9; shift >= 0; shift -= 3) {
        digits += static_cast<char>('0' + ((mode >> shift) & 7));
    }
    return digits;
}

} // namespace

UserMessage noAssociatedProgram() {
    return {"There is no program associated with the specified type of file.", "Error"};
}

OpenStep openStep(const ResultTable& table, int selectedPosition, int lastMouseX) {
    if (selectedPosition < 1 || selectedPosition > table.rowCount()) {
        return OpenStep::Nothing;
    }
    return onMarkPicture(lastMouseX) ? OpenStep::ToggleMark : OpenStep::OpenFile;
}

std::vector<std::string> markedFullPaths(const ResultTable& table) {
    std::vector<std::string> paths;
    for (const ResultTableRow& row : table.rows()) {
        if (row.marked) {
            paths.push_back(row.fullPath());
        }
    }
    return paths;
}

std::string modeText(mode_t mode) {
    std::string text(10, '-');
    text[0] = typeLetter(mode);
    const char* letters = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i) {
        if (mode & (0400u >> i)) {
            text[static_cast<std::size_t>(i + 1)] = letters[i];
        }
    }
    // The special bits take the execute places: lower case over an execute bit.
    const auto special = [&text, mode](mode_t bit, mode_t execute, std::size_t at, char letter) {
        if (mode & bit) {
            text[at] = (mode & execute) ? letter : static_cast<char>(letter - 'a' + 'A');
        }
    };
    special(S_ISUID, S_IXUSR, 3, 's');
    special(S_ISGID, S_IXGRP, 6, 's');
    special(S_ISVTX, S_IXOTH, 9, 't');
    return text;
}

FilePropertiesResult readFileProperties(const std::string& folder, const std::string& name) {
    struct stat info {};
    if (::lstat((folder + name).c_str(), &info) != 0) {
        return {std::nullopt, "Cannot read " + folder + name + ": " + std::strerror(errno) + "."};
    }
    FileProperties properties;
    properties.name = name;
    properties.folder = folder;
    properties.type = typeText(info.st_mode);
    const auto bytes = static_cast<std::uint64_t>(info.st_size);
    properties.size = std::to_string(bytes) + " bytes";
    if (bytes >= 1024) {
        properties.size = FormatSize(static_cast<double>(bytes)) + " (" + properties.size + ")";
    }
    properties.modified = DateText(info.st_mtime);
    properties.owner = idText<passwd>(info.st_uid, getpwuid_r, &passwd::pw_name);
    properties.group = idText<group>(info.st_gid, getgrgid_r, &group::gr_name);
    properties.permissions = modeText(info.st_mode) + " (" + octalText(info.st_mode) + ")";
    return {std::move(properties), {}};
}

} // namespace pw
