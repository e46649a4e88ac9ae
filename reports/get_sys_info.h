#pragma once
// GetSysInfo: the block about this computer that every report carries, built from sources
// that tests can replace.
//
// Lines, each ending in CR LF: "Computer Name: " the host name; "OS : " the system's name
// (PRETTY_NAME of os-release) and the kernel release; "Service Pack: " the kernel's version
// string; "Total Ram: " and "Ram Available: " the physical memory divided by 1043321 and
// rounded, with no unit; "IP Address: " the host name's first IPv4 address. A value that
// cannot be read is left empty; building the block never fails.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pw {

struct MemoryStatus {
    std::uint64_t totalBytes = 0;
    std::uint64_t availableBytes = 0;
};

// Where each value comes from; a source answers nullopt, or is left empty, when its value
// cannot be read.
struct SystemSources {
    std::function<std::optional<std::string>()> computerName;
    std::function<std::optional<std::string>()> osName;
    std::function<std::optional<std::string>()> kernelRelease;
    std::function<std::optional<std::string>()> kernelVersion;
    std::function<std::optional<MemoryStatus>()> memory;
    std::function<std::optional<std::string>()> ipAddress;
};

// This machine's sources: gethostname, /etc/os-release (else /usr/lib/os-release), uname,
// sysinfo, and the host name resolved to IPv4. Resolving may wait for a name server, so
// the block is best built off the user-interface thread.
SystemSources machineSources();

std::string BuildSystemInfo(const SystemSources& sources);
// The block of this machine.
std::string BuildSystemInfo();

// The PRETTY_NAME of an os-release text: the last assignment wins, a value in double or
// single quotes loses them, and in double quotes a backslash escapes the next character.
std::optional<std::string> prettyNameOf(std::string_view osRelease);

} // namespace pw
