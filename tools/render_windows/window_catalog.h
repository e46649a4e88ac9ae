#pragma once
// Every window of the desktop program, built as it first appears, with sample contents
// where it shows some. The render tool draws each into a picture; the window tests walk
// the same windows, so that a window added here is drawn and checked alike.

#include "settings/settings_store.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <span>

namespace pw {

// What a window may need to be built: settings of its own, never the user's. It must
// outlive the window.
struct WindowContext {
    MemorySettingsStore store;
};

struct CatalogWindow {
    const char* name; // the picture's file name without ".png"
    std::function<std::unique_ptr<QWidget>(WindowContext&)> make;
};

std::span<const CatalogWindow> windowCatalog();

} // namespace pw
