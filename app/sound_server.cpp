#include "app/sound_server.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace pw {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool socketAnswers(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof(address.sun_path)) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return false;
    }
    const bool connected =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 ||
        errno == EAGAIN; // a listener whose queue is full is still there
    close(fd);
    return connected;
}

} // namespace

SoundServerPlaces defaultSoundServerPlaces() {
    SoundServerPlaces places;
    places.configuredServer = environment("PULSE_SERVER");
    const std::string runtime = environment("PULSE_RUNTIME_PATH");
    const std::string userRuntime = environment("XDG_RUNTIME_DIR");
    if (!runtime.empty()) {
        places.sockets.push_back(runtime + "/native");
    } else if (!userRuntime.empty()) {
        places.sockets.push_back(userRuntime + "/pulse/native");
    }
    places.sockets.push_back("/run/pulse/native");
    return places;
}

bool soundServerReachable(const SoundServerPlaces& places) {
    if (!places.configuredServer.empty()) {
        return true;
    }
    for (const std::string& socketPath : places.sockets) {
        if (socketAnswers(socketPath)) {
            return true;
        }
    }
    return false;
}

} // namespace pw
