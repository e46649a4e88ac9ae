#include "cli/run_cli.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace pw::test {

pid_t spawnProgram(const std::string& program, const std::vector<std::string>& args, int outFd,
                   int errFd, const std::string& cwd, int inFd) {
    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argvText) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        // Only async-signal-safe calls until exec.
        const int input = inFd >= 0 ? inFd : open("/dev/null", O_RDONLY);
        if (input < 0 || dup2(input, STDIN_FILENO) < 0 || dup2(outFd, STDOUT_FILENO) < 0 ||
            dup2(errFd, STDERR_FILENO) < 0 || (!cwd.empty() && chdir(cwd.c_str()) != 0)) {
            _exit(127);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

pid_t spawnCli(const std::vector<std::string>& args, int outFd, int errFd, const std::string& cwd) {
    return spawnProgram(PAIRWELL_CLI_PATH, args, outFd, errFd, cwd);
}

void readToEnd(int outFd, int errFd, std::string& out, std::string& err) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&out, &err};
    int open = 2;
    char buffer[65536];
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error("poll failed");
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

int waitForExit(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error("waitpid failed");
        }
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return WEXITSTATUS(status);
}

CliRun runProgram(const std::string& program, const std::vector<std::string>& args,
                  const std::string& cwd, int inFd) {
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = spawnProgram(program, args, outPipe[1], errPipe[1], cwd, inFd);
    close(outPipe[1]);
    close(errPipe[1]);
    CliRun run;
    readToEnd(outPipe[0], errPipe[0], run.out, run.err);
    run.status = waitForExit(pid);
    return run;
}

CliRun runCli(const std::vector<std::string>& args, const std::string& cwd, int inFd) {
    return runProgram(PAIRWELL_CLI_PATH, args, cwd, inFd);
}

std::string findInPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "/usr/bin:/bin";
    while (true) {
        const auto colon = rest.find(':');
        std::string candidate(rest.substr(0, colon));
        candidate = (candidate.empty() ? std::string(".") : candidate) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        if (colon == std::string_view::npos) {
            return {};
        }
        rest.remove_prefix(colon + 1);
    }
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

GroupSet parseGroups(const std::string& listing) {
    GroupSet groups;
    std::set<std::string> group;
    for (const auto& line : splitLines(listing)) {
        if (line.empty()) {
            if (!group.empty()) {
                groups.insert(group);
            }
            group.clear();
        } else {
            group.insert(line);
        }
    }
    if (!group.empty()) {
        groups.insert(group);
    }
    return groups;
}

} // namespace pw::test
