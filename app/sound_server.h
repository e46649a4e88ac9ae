#pragma once
// Whether there is a sound server to play to. The desktop program plays its sound through
// Qt Multimedia, which on Linux talks to a PulseAudio server (PulseAudio itself or
// PipeWire's pulse service). Asked for its devices when no server runs, it prints warnings
// of its own on the error output; the program asks here first and stays silent instead.

#include <string>
#include <vector>

namespace pw {

struct SoundServerPlaces {
    std::string configuredServer;     // PULSE_SERVER: the user's choice, taken as given
    std::vector<std::string> sockets; // where a server on this machine listens
};

// Where the PulseAudio client library looks by default: PULSE_SERVER; the per-user
// socket "native" in PULSE_RUNTIME_PATH, else in XDG_RUNTIME_DIR/pulse; the system-wide
// socket.
SoundServerPlaces defaultSoundServerPlaces();

// True when a server is configured or one of the sockets takes a connection; a socket
// file left behind by a server that is gone does not count. A local socket connects or
// refuses at once, so this does not wait.
bool soundServerReachable(const SoundServerPlaces& places);

} // namespace pw
