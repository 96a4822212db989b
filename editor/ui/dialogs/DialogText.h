// The texts of a dialog as the chosen language gives them, else the built-in
// ones of app/DialogTexts.h.
#pragma once

#include <QString>

namespace lumavox {
class LanguageManager;
}

namespace lumavox::ui {

// Control 0 is the caption. Empty when neither has the text.
QString dialogText(const LanguageManager* language, int templateId, int control);

}  // namespace lumavox::ui
