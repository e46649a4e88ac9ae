#include "app/startup.h"

#include "common/file_helpers.h"
#include "common/text.h"
#include "settings/settings_table.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <random>

namespace pw {
namespace {

constexpr std::string_view kDefaultSessionName = "Default.pwf";
} // namespace

const std::array<std::string_view, 13> kTips{
    "Using a byte to byte checking is the best way to ensure that all true duplicates have "
    "been found.",
    "Looking for duplicates by name alone can help to find old versions of files that are no "
    "longer needed. However, without checking byte to byte and crc32 you could delete files "
    "that are not truly duplicates.",
    "You can control if files are deleted permanently, or sent to recycle bin first. Sending "
    "to recycle bin is the safest and most wise method of removal but the downside of using "
    "the Recycle Bin is that the space occupied by the removed files is not freed until you "
    "actually empty the bin through Windows.",
    "You can quickly select/mark all duplicate files, or all files except a specific file "
    "using the appropriate Mark method on the Action > Mark menu.",
    "All items on the Action menu are also available on the context menu which can be "
    "accessed by right clicking on a result window.",
    "You can open a file in it's associated viewer by double clicking on it in the results.",
    "Many common commands have shortcut keys. Shortcuts are listed next to the text of items "
    "in menus.",
    "Ignoring system files and hidden files cleans up the results and protects against "
    "accidental deletion of important files.",
    "You can specify minimum and maximum file sizes for search, by doing so you can "
    "concentrate on files that waste a lot of disk space.",
    "Pairwell automatically preview common image format e.g. jpeg, gif, bmp etc when select a "
    "file.",
    "Welcome to Pairwell. Pairwell can search your computer for TRUE duplicate files by using "
    "byte to byte, CRC32, Same Name to give you most accurate results.",
    "Pairwell WARN if you by mistake select/mark all files within each group then you are "
    "given an opportunity to cancel the deletion or continue with the deletion.",
    "Now you can save search sessions including result for later review. This will help you "
    "when you deal with huge number of files. Just click on File > Save Sessions and from "
    "Save Dialog select \"Save search parameters and result\" and click on Save",
};

std::string commandLineText(const std::vector<std::string>& arguments) {
    std::string text;
    for (const std::string& argument : arguments) {
        if (&argument != &arguments.front()) {
            text += ' ';
        }
        text += argument;
    }
    return text;
}

StartWindow entryWindow(std::string_view commandLine) {
    return commandLine.find("-un") != std::string_view::npos ? StartWindow::Survey
                                                             : StartWindow::MainWindow;
}

FirstActivation firstActivation(std::string_view commandLine, const SettingsStore& store) {
    FirstActivation next;
    if (commandLine.empty()) {
        next.showTip = loadShowTipsAtStartup(store);
        return next;
    }
    std::remove_copy(commandLine.begin(), commandLine.end(), std::back_inserter(next.sessionPath),
                     '"');
    return next;
}

UserMessage sessionNotFoundMessage(std::string_view path) {
    return {"\"" + std::string(path) + "\"", "File Not Found"};
}

RandomSource defaultRandomSource() {
    struct Engine {
        std::mutex mutex;
        std::mt19937 generator{std::random_device{}()};
    };
    auto engine = std::make_shared<Engine>();
    return [engine](int low, int high) {
        const std::lock_guard lock(engine->mutex);
        return std::uniform_int_distribution<int>(low, high)(engine->generator);
    };
}

std::string_view drawTip(const RandomSource& random) {
    const int count = static_cast<int>(kTips.size());
    const int number = std::clamp(random(1, count), 1, count);
    return kTips[static_cast<std::size_t>(number - 1)];
}

std::string userDataFolder() {
    const std::string dataHome = dataHomeFolder();
    return dataHome.empty() ? std::string() : dataHome + "/pairwell";
}

std::string defaultSessionFile(const std::string& folder) {
    namespace fs = std::filesystem;
    if (folder.empty()) {
        return {};
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::error_code typeError;
        if (compareText(name, kDefaultSessionName) == 0 && it->is_regular_file(typeError)) {
            names.push_back(std::move(name));
        }
    }
    // Directory order is arbitrary: the exact spelling, else the first in byte order.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return (a == kDefaultSessionName) != (b == kDefaultSessionName) ? a == kDefaultSessionName
                                                                        : a < b;
    });
    return folder + "/" + (names.empty() ? std::string(kDefaultSessionName) : names.front());
}

} // namespace pw
