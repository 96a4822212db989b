// The toolbar's pictures, every one drawn here: no icon theme or style is
// asked, so the toolbar looks the same on every desktop.
#pragma once

#include <QIcon>

namespace lumavox::ui {

enum class ToolbarIcon {
    Application,
    New,
    Open,
    Save,
    Cut,
    Copy,
    Paste,
    SendCurrent,
    SendAll,
    Preview,
    About
};

QIcon toolbarIcon(ToolbarIcon icon);

}  // namespace lumavox::ui
