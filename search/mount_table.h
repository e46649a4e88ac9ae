#pragma once
// What the system's mount table tells a walk about the file systems it may meet: which
// ones only present kernel state, and where automount points are.

#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pw {

struct Mounts {
    std::set<dev_t> pseudoDevices;
    std::vector<std::string> automountPoints; // of autofs mounts, as mountinfo writes them
};

// The mount table of this process, from /proc/self/mountinfo; empty where it cannot be read.
Mounts readMounts();

// Whether the open folder fd lies on a file system that only presents kernel state, by the
// file system's magic number.
bool isPseudoMagic(int fd);

} // namespace pw
