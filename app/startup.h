#pragma once
// The rules of the program's start: which window the command line asks for, the session
// file it names, the tip of the day, where the default session lives, and how stored
// geometry in twips maps to the pixels of a screen.

#include "common/twips.h"
#include "results/marking.h"
#include "settings/settings_store.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

// ---- Command line ----

// The command line as one text: the program's arguments, without the program's own
// name, joined with blanks.
std::string commandLineText(const std::vector<std::string>& arguments);

enum class StartWindow { Survey, MainWindow };

// The uninstall survey alone when the command line holds "-un" anywhere, letter case
// counting, inside a longer word or path too (so "/tmp/re-unite.pwf" asks for the survey);
// the main window otherwise.
StartWindow entryWindow(std::string_view commandLine);

// What the main window's first activation does: load the session file a non-empty
// command line names (the command line without any double quote) and scan it, or else
// show a tip when "Show Tips at Startup" is on.
struct FirstActivation {
    std::string sessionPath; // empty: no session named
    bool showTip = false;
};
FirstActivation firstActivation(std::string_view commandLine, const SettingsStore& store);

// The message, with the critical icon, for a named session that cannot be loaded: the
// path in double quotes, titled "File Not Found".
UserMessage sessionNotFoundMessage(std::string_view path);

// ---- Tips ----

extern const std::array<std::string_view, 13> kTips;

// A whole number from `low` to `high`, each equally likely.
using RandomSource = std::function<int(int low, int high)>;
// A source seeded from the system's random device.
RandomSource defaultRandomSource();

// One of the tips, each equally likely; the same tip may come twice in a row. A number
// from the source outside 1..13 is taken as the nearest end.
std::string_view drawTip(const RandomSource& random);

// ---- The default session ----

// The program's per-user data folder: dataHomeFolder() + "/pairwell"; empty when there
// is no home folder.
std::string userDataFolder();

// The default session file in `folder`: an existing regular file named "Default.pwf" in
// any letter case (the exact spelling first when there are several), else
// folder + "/Default.pwf". A missing folder is created, with its parents, so that the
// first save at a scan or close finds it; a folder that cannot be created leaves that save
// to fail quietly, as a folder that cannot be written does. Empty when folder is empty.
std::string defaultSessionFile(const std::string& folder);

} // namespace pw
