// The system clipboard in the editor's two forms: the item block under a MIME
// type of its own (the registered format "NEWLUMAVOX Paint") and plain text,
// whose characters are mapped between Unicode and the sign's character set.
#pragma once

#include <QString>
#include <string>

#include "editing/TextEditor.h"

class QMimeData;

namespace lumavox::ui {

inline constexpr const char* kItemMimeType = "application/x-newlumavox-paint";

// Sign codes (one byte each) as Unicode text, and back: a character the sign
// set lacks becomes "?".
QString signTextToUnicode(const std::string& text);
std::string unicodeToSignText(const QString& text);

void putOnClipboard(const ClipboardPayload& payload);
ClipboardPayload takeFromClipboard();
// What the clipboard offers, for the availability of Paste.
bool clipboardHasItems();
bool clipboardHasText();

}  // namespace lumavox::ui
