// The toolbar's pictures, drawn here (standard ones come from the style).
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
