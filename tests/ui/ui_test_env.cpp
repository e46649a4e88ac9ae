#include "ui/ui_test_env.h"

#include "app/ui/main_frm.h"
#include "app/ui/scan_commands.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <cstdlib>
#include <filesystem>

namespace pw::test {
namespace {

std::string envFolder(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void emptyFolder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::filesystem::create_directories(folder, ec);
}

} // namespace

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

bool runToEnd(MainFrm& window, const std::function<void()>& command) {
    bool finished = false;
    const QMetaObject::Connection watch = QObject::connect(
        &window.scanCommands(), &ScanCommands::workFinished, [&finished] { finished = true; });
    command();
    const bool ended = waitUntil([&finished] { return finished; });
    QObject::disconnect(watch);
    return ended;
}

bool scanFolder(MainFrm& window, const std::string& folder) {
    window.applyParameters(
        SessionParameters{{}, {{folder, "Yes", "All files(*.*)", "0", "", kSearchIcon}}});
    return runToEnd(window, [&window] { window.scanCommands().StartScan(); });
}

void UiTest::SetUp() {
    emptyFolder(configFolder());
    emptyFolder(envFolder("XDG_DATA_HOME"));
    emptyFolder(scratchFolder());
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Pairwell"),
              QStringLiteral("Pairwell"))
        .clear();
    setMessageHookForTests([this](const MessageRequest& request) {
        messages.push_back(request);
        if (m_messageAnswers.empty()) {
            ADD_FAILURE() << "unexpected message box \"" << request.title.toStdString()
                          << "\": " << request.text.toStdString();
            return request.defaultAnswer;
        }
        const MessageAnswer answer = m_messageAnswers.front();
        m_messageAnswers.pop_front();
        return answer;
    });
    setFileDialogHookForTests([this](const FileDialogRequest& request) {
        fileDialogs.push_back(request);
        if (m_fileAnswers.empty()) {
            ADD_FAILURE() << "unexpected file dialog \"" << request.title.toStdString() << "\"";
            return std::optional<std::string>();
        }
        std::optional<std::string> answer = m_fileAnswers.front();
        m_fileAnswers.pop_front();
        return answer;
    });
    setModalHookForTests([this](QDialog& dialog) {
        if (m_dialogAnswers.empty()) {
            ADD_FAILURE() << "unexpected dialog " << dialog.objectName().toStdString();
            return static_cast<int>(QDialog::Rejected);
        }
        const ModalHook answer = m_dialogAnswers.front();
        m_dialogAnswers.pop_front();
        return answer(dialog);
    });
}

void UiTest::TearDown() {
    setMessageHookForTests({});
    setFileDialogHookForTests({});
    setModalHookForTests({});
    EXPECT_TRUE(m_messageAnswers.empty()) << "message answers left unused";
    EXPECT_TRUE(m_fileAnswers.empty()) << "file dialog answers left unused";
    EXPECT_TRUE(m_dialogAnswers.empty()) << "dialog answers left unused";
}

void UiTest::answerMessages(std::initializer_list<MessageAnswer> answers) {
    m_messageAnswers.insert(m_messageAnswers.end(), answers);
}

void UiTest::answerFileDialogs(std::initializer_list<std::optional<std::string>> answers) {
    m_fileAnswers.insert(m_fileAnswers.end(), answers);
}

void UiTest::answerDialogs(std::initializer_list<ModalHook> answers) {
    m_dialogAnswers.insert(m_dialogAnswers.end(), answers);
}

std::string UiTest::asked(std::size_t index) const {
    return index < messages.size()
               ? (messages[index].title + QStringLiteral(": ") + messages[index].text).toStdString()
               : std::string();
}

std::string UiTest::dataFolder() {
    return envFolder("XDG_DATA_HOME") + "/pairwell";
}

std::string UiTest::configFolder() {
    return envFolder("XDG_CONFIG_HOME");
}

std::string UiTest::scratchFolder() {
    return envFolder("PAIRWELL_UI_TEST_ROOT") + "/scratch";
}

} // namespace pw::test
