#pragma once
// The fixture of every window test: empty settings and data folders, and every message
// box, file dialog and modal dialog answered from what the test queued, never by waiting.
// The process's XDG folders point into a temporary folder (ui_test_main.cpp).

#include "common/ui/common_dlg.h"
#include "common/ui/modal.h"

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace pw {
class MainFrm;
}

namespace pw::test {

// Runs the event loop until `done` holds; false after a generous bound.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 20000);

// The child of `parent` with that objectName; the test fails when there is none.
template <typename T>
T* child(const QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Runs `command` (a scan or a session load) and waits until the window shows its result.
bool runToEnd(MainFrm& window, const std::function<void()>& command);

// Makes `folder` the window's only search path (every file, no minimum size), scans it
// and waits until the result is shown.
bool scanFolder(MainFrm& window, const std::string& folder);

class UiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The next message boxes answer these, in order. A box beyond them fails the test
    // and answers its default button.
    void answerMessages(std::initializer_list<MessageAnswer> answers);
    // The next file and folder dialogs answer these (nullopt: cancelled).
    void answerFileDialogs(std::initializer_list<std::optional<std::string>> answers);
    // The next modal dialogs are handed to these instead of being shown.
    void answerDialogs(std::initializer_list<ModalHook> answers);

    // What was asked, in order.
    std::vector<MessageRequest> messages;
    // The `index`th message as "title: text"; "" when there was none.
    std::string asked(std::size_t index) const;
    std::vector<FileDialogRequest> fileDialogs;

    // The per-user data folder of the program ("Default.pwf" lives there).
    static std::string dataFolder();
    // The settings file's folder and the temporary folder tests may build trees in.
    static std::string configFolder();
    static std::string scratchFolder();

private:
    std::deque<MessageAnswer> m_messageAnswers;
    std::deque<std::optional<std::string>> m_fileAnswers;
    std::deque<ModalHook> m_dialogAnswers;
};

} // namespace pw::test
