#pragma once

#include "Choosers.h"

#include <filesystem>

class QWidget;

namespace zarvex::gui {

// Opens the manual at `relative` in the resource folder with the desktop's
// application for it. A missing manual, or no application to open it, is said
// in a message over `parent`. True when opened.
bool openHelpFile(QWidget* parent, const Choosers& choosers, const std::filesystem::path& relative);

} // namespace zarvex::gui
