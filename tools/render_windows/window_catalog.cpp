#include "window_catalog.h"

#include "app/ui/about_frm.h"
#include "app/ui/folder_frm.h"
#include "app/ui/frm_tip.h"
#include "app/ui/main_frm.h"
#include "reports/ui/bug_frm.h"
#include "results/ui/result_list_view.h"
#include "search/ui/frm_too_many_files.h"
#include "search/ui/fuzzy_frm.h"
#include "session/ui/save_frm.h"

#include <QLayout>
#include <array>

namespace pw {
namespace {

// The main window as the program opens it; its result list is the program assembly's,
// so one stands in for it here until the window brings its own.
std::unique_ptr<QWidget> mainFrm(WindowContext& context,
                                 const std::vector<SearchPathEntry>& paths = {}) {
    auto frm = std::make_unique<MainFrm>();
    if (!frm->findChild<ResultListView*>()) {
        frm->m_resultArea->layout()->addWidget(new ResultListView(context.results));
    }
    if (!paths.empty()) {
        frm->applyParameters(SessionParameters{{}, paths});
    }
    return frm;
}

std::unique_ptr<QWidget> saveFrm(WindowContext& context, SaveFrm::Mode mode) {
    auto frm = std::make_unique<SaveFrm>(context.store);
    frm->setMode(mode);
    return frm;
}

const std::vector<SearchPathEntry> kSamplePaths{
    {"/home/user/Pictures", "Yes", "Images  (*.bmp *.gif *.jpg)", "10", "", kSearchIcon},
    {"/home/user/Pictures/cache", "Yes", "", "", "", kExcludeIcon},
    {"/srv/music", "No", "All files(*.*)", "100", "20000", kSearchIcon}};

const RuntimeError kSampleError{
    5, "Permission denied", "CompareFiles",
    "/home/user/Pictures/holiday 2019/beach at sunset, the second evening.jpg"};

// One line per window and state.
const std::array<CatalogWindow, 11> kWindows{{
    {"MainFrm", [](WindowContext& c) { return mainFrm(c); }},
    {"MainFrm-paths", [](WindowContext& c) { return mainFrm(c, kSamplePaths); }},
    {"FolderFrm-add",
     [](WindowContext& c) { return std::make_unique<FolderFrm>(c.store, std::nullopt); }},
    {"FolderFrm-excluded",
     [](WindowContext& c) { return std::make_unique<FolderFrm>(c.store, kSamplePaths[1]); }},
    {"frmTip",
     [](WindowContext& c) {
         return std::make_unique<frmTip>(c.store, [](int, int) { return 11; });
     }},
    {"AboutFrm", [](WindowContext&) { return std::make_unique<AboutFrm>(); }},
    {"BugFrm", [](WindowContext&) { return std::make_unique<BugFrm>(kSampleError); }},
    {"frmTooManyFiles", [](WindowContext&) { return std::make_unique<frmTooManyFiles>(123456); }},
    {"FuzzyFrm", [](WindowContext&) { return std::make_unique<FuzzyFrm>(); }},
    {"SaveFrm-save", [](WindowContext& c) { return saveFrm(c, SaveFrm::Mode::Save); }},
    {"SaveFrm-open", [](WindowContext& c) { return saveFrm(c, SaveFrm::Mode::Open); }},
}};

} // namespace

std::span<const CatalogWindow> windowCatalog() {
    return kWindows;
}

} // namespace pw
