#pragma once
// A shell for the loop tests: it records every call and, per source path, either does the
// work on disk (inside the test's temporary tree), fails without touching anything, or
// claims success without touching anything. Faults are injected here, never through
// permission bits, because the tests run as root.

#include "fileops/shell.h"

#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace pw::test {

enum class FakeBehaviour { Work, Fail, ClaimSuccess };

struct ShellCall {
    ShellOperation operation;
    std::string source;
    std::string destination; // folder or new path; empty for delete
    bool toTrash = false;
    bool yesToAll = false;
};

class RecordingShell : public Shell {
public:
    std::vector<ShellCall> calls;
    std::map<std::string, FakeBehaviour> behaviour; // by source path; Work when absent
    // Called once with the run's shell after the call with this index (0-based) was made,
    // so a test can act at a known point of a run (cancel, edit the destination).
    std::map<std::size_t, std::function<void()>> afterCall;

    ShellResult deleteFile(const std::string& path, const DeleteFlags& flags,
                           const Confirm& confirm) override {
        calls.push_back({ShellOperation::Delete, path, {}, flags.toTrash, flags.yesToAll});
        ShellResult result = asked(ShellOperation::Delete, path, flags.yesToAll, confirm);
        if (result.answer == ConfirmAnswer::Yes || result.answer == ConfirmAnswer::YesToAll) {
            result = perform(
                path, [&] { std::filesystem::remove(path); }, result.answer);
        }
        notify();
        return result;
    }

    ShellResult copyFile(const std::string& source, const std::string& destinationFolder,
                         const TransferFlags& flags, const Confirm& confirm) override {
        return transfer(ShellOperation::Copy, source, destinationFolder, flags, confirm);
    }

    ShellResult moveFile(const std::string& source, const std::string& destinationFolder,
                         const TransferFlags& flags, const Confirm& confirm) override {
        return transfer(ShellOperation::Move, source, destinationFolder, flags, confirm);
    }

    ShellResult renameFile(const std::string& from, const std::string& to) override {
        calls.push_back({ShellOperation::Rename, from, to, false, true});
        ShellResult result;
        if (std::filesystem::exists(to)) {
            result.error = EEXIST;
            result.message = "The name is taken.";
        } else {
            result = perform(
                from, [&] { std::filesystem::rename(from, to); }, ConfirmAnswer::Yes);
        }
        notify();
        return result;
    }

private:
    static ShellResult asked(ShellOperation operation, const std::string& path, bool yesToAll,
                             const Confirm& confirm) {
        ShellResult result;
        if (!yesToAll && confirm) {
            result.answer = confirm(operation, path);
        }
        return result;
    }

    template <typename Work>
    ShellResult perform(const std::string& source, Work work, ConfirmAnswer answer) {
        ShellResult result;
        result.answer = answer;
        const auto found = behaviour.find(source);
        const FakeBehaviour what = found == behaviour.end() ? FakeBehaviour::Work : found->second;
        if (what == FakeBehaviour::Fail) {
            result.error = EIO;
            result.message = "Injected failure.";
            return result;
        }
        if (what == FakeBehaviour::Work) {
            work();
        }
        result.ok = true;
        return result;
    }

    ShellResult transfer(ShellOperation operation, const std::string& source,
                         const std::string& destinationFolder, const TransferFlags& flags,
                         const Confirm& confirm) {
        calls.push_back({operation, source, destinationFolder, false, flags.yesToAll});
        ShellResult result = asked(operation, source, flags.yesToAll, confirm);
        if (result.answer == ConfirmAnswer::Yes || result.answer == ConfirmAnswer::YesToAll) {
            const std::filesystem::path target =
                std::filesystem::path(destinationFolder) / std::filesystem::path(source).filename();
            result = perform(
                source,
                [&] {
                    std::filesystem::copy_file(source, target);
                    if (operation == ShellOperation::Move) {
                        std::filesystem::remove(source);
                    }
                },
                result.answer);
            result.destination = target.string();
        }
        notify();
        return result;
    }

    void notify() {
        const auto hook = afterCall.find(calls.size() - 1);
        if (hook != afterCall.end()) {
            hook->second();
        }
    }
};

} // namespace pw::test
