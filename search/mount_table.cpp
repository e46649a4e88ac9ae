#include "search/mount_table.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string_view>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace pw {
namespace {

// File systems that only present kernel state; walking them is slow, can block, and never
// finds a user's duplicate.
constexpr std::array<std::string_view, 20> kPseudoTypes = {
    "proc",        "sysfs",      "devtmpfs", "devpts",     "cgroup",   "cgroup2",  "tracefs",
    "debugfs",     "securityfs", "bpf",      "pstore",     "configfs", "fusectl",  "mqueue",
    "binfmt_misc", "autofs",     "efivarfs", "rpc_pipefs", "nsfs",     "selinuxfs"};

constexpr std::array<unsigned long, 17> kPseudoMagics = {
    0x9fa0,     0x62656572, 0x1cd1,     0x27e0eb,   0x63677270, 0x74726163,
    0x64626720, 0x73636673, 0xcafe4a11, 0x6165676C, 0x62656570, 0x65735543,
    0x19800202, 0x42494e4d, 0x6e736673, 0xde5e81e4, 0xf97cff8c};

} // namespace

Mounts readMounts() {
    Mounts found;
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string id;
        std::string parent;
        std::string majorMinor;
        std::string root;
        std::string mountPoint;
        fields >> id >> parent >> majorMinor >> root >> mountPoint;
        const auto separator = line.find(" - ");
        if (separator == std::string::npos) {
            continue;
        }
        std::istringstream tail(line.substr(separator + 3));
        std::string type;
        tail >> type;
        if (type == "autofs") {
            found.automountPoints.push_back(mountPoint);
        }
        if (std::find(kPseudoTypes.begin(), kPseudoTypes.end(), type) == kPseudoTypes.end()) {
            continue;
        }
        unsigned major = 0;
        unsigned minor = 0;
        if (std::sscanf(majorMinor.c_str(), "%u:%u", &major, &minor) == 2) {
            found.pseudoDevices.insert(makedev(major, minor));
        }
    }
    return found;
}

bool isPseudoMagic(int fd) {
    struct statfs info {};
    if (fstatfs(fd, &info) != 0) {
        return false;
    }
    const auto magic = static_cast<unsigned long>(info.f_type);
    return std::find(kPseudoMagics.begin(), kPseudoMagics.end(), magic) != kPseudoMagics.end();
}

} // namespace pw
