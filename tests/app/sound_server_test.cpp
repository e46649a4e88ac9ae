// The sound server check: a completion sound asked for on a machine without a sound
// server made Qt Multimedia print its connection failure on the program's error output.

#include "app/sound_server.h"
#include "support/scoped_env.h"
#include "support/temp_tree.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace pw {
namespace {

// A socket file at `path`, listening until closed.
int listenAt(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    EXPECT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    EXPECT_EQ(listen(fd, 1), 0);
    return fd;
}

TEST(SoundServer, OnlyAListeningSocketOrAConfiguredServerCounts) {
    test::TempTree tree;
    const std::string live = tree.path("live");
    const std::string gone = tree.path("gone");
    const int server = listenAt(live);
    close(listenAt(gone)); // the file stays, nobody answers

    EXPECT_TRUE(soundServerReachable({"", {tree.path("none"), gone, live}}));
    EXPECT_FALSE(soundServerReachable({"", {tree.path("none"), gone, tree.root()}}));
    EXPECT_FALSE(soundServerReachable({"", {}}));
    EXPECT_TRUE(soundServerReachable({"tcp:sound.example:4713", {}}));
    close(server);
    EXPECT_FALSE(soundServerReachable({"", {live}}));

    const test::ScopedEnv configured("PULSE_SERVER", std::nullopt);
    const test::ScopedEnv user("XDG_RUNTIME_DIR", "/run/user/1000");
    const test::ScopedEnv runtime("PULSE_RUNTIME_PATH", "/tmp/pulse-own");
    EXPECT_EQ(defaultSoundServerPlaces().sockets.front(), "/tmp/pulse-own/native");
    const test::ScopedEnv noRuntime("PULSE_RUNTIME_PATH", std::nullopt);
    EXPECT_EQ(defaultSoundServerPlaces().sockets.front(), "/run/user/1000/pulse/native");
}

} // namespace
} // namespace pw
