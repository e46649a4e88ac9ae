#pragma once
// Runs the built pairwell-cli binary and collects what it prints.

#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pw::test {

struct CliRun {
    int status = -1; // the exit status, or 128 + the signal that ended the process
    std::string out;
    std::string err;
};

// Runs a program, given by its path, with `args` in the folder `cwd` (the test's own when
// empty), stdin from `inFd` (/dev/null when negative), and waits for it to end.
CliRun runProgram(const std::string& program, const std::vector<std::string>& args,
                  const std::string& cwd = {}, int inFd = -1);

// runProgram for the built pairwell-cli.
CliRun runCli(const std::vector<std::string>& args, const std::string& cwd = {}, int inFd = -1);

// Starts a program with stdout and stderr on the given descriptors, and stdin as for
// runProgram; returns its pid.
pid_t spawnProgram(const std::string& program, const std::vector<std::string>& args, int outFd,
                   int errFd, const std::string& cwd = {}, int inFd = -1);

// spawnProgram for the built pairwell-cli.
pid_t spawnCli(const std::vector<std::string>& args, int outFd, int errFd,
               const std::string& cwd = {});

// Reads both descriptors to their end and closes them.
void readToEnd(int outFd, int errFd, std::string& out, std::string& err);

// Waits for the process; returns its exit status or 128 + the signal that ended it.
int waitForExit(pid_t pid);

// A set of duplicate groups, each the set of its members' full paths: the form in which
// two tools' answers are compared, whatever order each lists them in.
using GroupSet = std::set<std::set<std::string>>;

// The groups of a text listing: one path per line, groups separated by empty lines.
GroupSet parseGroups(const std::string& listing);

// The full path of an executable found in PATH, or "" when there is none.
std::string findInPath(const std::string& name);

// The lines of a text, without their line ends.
std::vector<std::string> splitLines(const std::string& text);

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace pw::test
