#include "reports/get_sys_info.h"

#include <arpa/inet.h>
#include <cmath>
#include <cstring>
#include <fstream>
#include <netdb.h>
#include <sstream>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace pw {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
// Memory is reported in units of this many bytes, not in mebibytes: the figures stay
// comparable with the reports of every earlier version.
constexpr double kMemoryUnit = 1043321.0;

template <class T>
std::optional<T> ask(const std::function<std::optional<T>()>& source) {
    return source ? source() : std::nullopt;
}

std::string memoryText(std::optional<std::uint64_t> bytes) {
    return bytes ? std::to_string(std::llround(static_cast<double>(*bytes) / kMemoryUnit)) : "";
}

std::optional<std::string> hostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return std::nullopt;
    }
    return std::string(name);
}

std::optional<utsname> kernel() {
    utsname names{};
    if (uname(&names) != 0) {
        return std::nullopt;
    }
    return names;
}

std::optional<std::string> osReleaseName() {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::ifstream file(path, std::ios::binary);
        if (file) {
            std::ostringstream text;
            text << file.rdbuf();
            return prettyNameOf(text.str());
        }
    }
    return std::nullopt;
}

std::optional<std::string> firstIpv4Address() {
    const auto name = hostName();
    if (!name) {
        return std::nullopt;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name->c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    char text[INET_ADDRSTRLEN] = {};
    in_addr address{};
    std::memcpy(&address, &reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr,
                sizeof address);
    freeaddrinfo(found);
    if (inet_ntop(AF_INET, &address, text, sizeof text) == nullptr) {
        return std::nullopt;
    }
    return std::string(text);
}

// The value of one os-release line after its "=".
std::string unquoted(std::string_view value) {
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'') {
        return std::string(value.substr(1, value.size() - 2));
    }
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') {
        return std::string(value);
    }
    value = value.substr(1, value.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            ++i;
        }
        out += value[i];
    }
    return out;
}

} // namespace

std::optional<std::string> prettyNameOf(std::string_view osRelease) {
    constexpr std::string_view kKey = "PRETTY_NAME=";
    std::optional<std::string> name;
    while (!osRelease.empty()) {
        const std::size_t end = osRelease.find('\n');
        std::string_view line = osRelease.substr(0, end);
        osRelease.remove_prefix(end == std::string_view::npos ? osRelease.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.starts_with(kKey)) {
            name = unquoted(line.substr(kKey.size()));
        }
    }
    return name;
}

SystemSources machineSources() {
    SystemSources sources;
    sources.computerName = hostName;
    sources.osName = osReleaseName;
    sources.kernelRelease = []() -> std::optional<std::string> {
        const auto names = kernel();
        return names ? std::optional<std::string>(names->release) : std::nullopt;
    };
    sources.kernelVersion = []() -> std::optional<std::string> {
        const auto names = kernel();
        return names ? std::optional<std::string>(names->version) : std::nullopt;
    };
    sources.memory = []() -> std::optional<MemoryStatus> {
        struct sysinfo info {};
        if (sysinfo(&info) != 0) {
            return std::nullopt;
        }
        return MemoryStatus{static_cast<std::uint64_t>(info.totalram) * info.mem_unit,
                            static_cast<std::uint64_t>(info.freeram) * info.mem_unit};
    };
    sources.ipAddress = firstIpv4Address;
    return sources;
}

std::string BuildSystemInfo(const SystemSources& sources) {
    std::string os;
    for (const auto& part : {ask(sources.osName), ask(sources.kernelRelease)}) {
        if (part && !part->empty()) {
            os += (os.empty() ? "" : " ") + *part;
        }
    }
    const auto memory = ask(sources.memory);
    std::string text;
    const auto line = [&text](std::string_view caption, std::string_view value) {
        text.append(caption).append(value).append(kLineEnd);
    };
    line("Computer Name: ", ask(sources.computerName).value_or(""));
    line("OS : ", os);
    line("Service Pack: ", ask(sources.kernelVersion).value_or(""));
    line("Total Ram: ", memoryText(memory ? std::optional(memory->totalBytes) : std::nullopt));
    line("Ram Available: ",
         memoryText(memory ? std::optional(memory->availableBytes) : std::nullopt));
    line("IP Address: ", ask(sources.ipAddress).value_or(""));
    return text;
}

std::string BuildSystemInfo() {
    return BuildSystemInfo(machineSources());
}

} // namespace pw
