// The texts of a dialog as the chosen language gives them, else the built-in
// ones of app/DialogTexts.h.
#pragma once

#include <QString>
#include <string>

class QDialog;
class QDialogButtonBox;
class QWidget;

namespace lumavox {
class LanguageManager;
}

namespace lumavox::ui {

// Control 0 is the caption. Empty when neither has the text.
QString dialogText(const LanguageManager* language, int templateId, int control);

// OK and Cancel for a dialog, with the dialog's own texts when it has them,
// wired to accept and reject.
QDialogButtonBox* okCancelButtons(QDialog* dialog, const LanguageManager* language, int templateId);

// Shows a refusal of the content rules; true when there was none.
bool passesRefusal(QWidget* parent, const std::string& refusal);

}  // namespace lumavox::ui
