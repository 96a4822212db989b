#include "editing/InsertItems.h"

#include <algorithm>

#include "content/EditRules.h"
#include "content/Vocabulary.h"

namespace lumavox {

namespace {
TextItem control(uint8_t kind, ControlParams p) {
    return TextItem::control(kind, p);
}
ControlParams withAttributes(int format, const CharItem& a) {
    ControlParams p;
    p.valueA = static_cast<uint16_t>(format);
    p.valueB = a.font;
    p.valueC = a.colour;
    p.valueD = a.property;
    p.byteE = a.flash;
    return p;
}
}  // namespace

TextItem makeMoveItem(int in, int storedOut) {
    ControlParams p;
    p.valueA = static_cast<uint16_t>(in);
    p.valueB = static_cast<uint16_t>(storedOut);
    return control(kMove, p);
}

TextItem makeSpeedItem(int speed) {
    ControlParams p;
    p.valueC = static_cast<uint16_t>(speed);
    return control(kSpeed, p);
}

TextItem makePauseItem(int pause) {
    ControlParams p;
    p.valueD = static_cast<uint16_t>(pause);
    return control(kPause, p);
}

TextItem makeBeepItem(int beep) {
    ControlParams p;
    p.valueA = static_cast<uint16_t>(beep);
    return control(kBeep, p);
}

TextItem makeRowPitchItem(int pitch) {
    ControlParams p;
    p.valueA = static_cast<uint16_t>(pitch);
    return control(kRowPitch, p);
}

TextItem makeIncludeItem(const std::string& name) {
    ControlParams p;
    p.name = trimTrailingBlanks(name);
    return control(kInclude, p);
}

TextItem makeDateTimeItem(int format, const CharItem& attributes) {
    return control(kDateTime, withAttributes(format, attributes));
}

TextItem makeTempCounterItem(int format, const CharItem& attributes, const TimeStamp& target) {
    ControlParams p = withAttributes(format, attributes);
    if (isCounterFormat(format)) {
        const auto bytes = target.bytes();
        std::copy(bytes.begin(), bytes.end(), p.name.bytes.begin());
    }
    return control(kTempCounter, p);
}

TextItem makeCharacterItem(uint16_t code, const CharItem& attributes) {
    CharItem c = attributes;
    c.character = code;
    return TextItem::character(c);
}

std::string insertRefusal(const TextEditor& editor, const TextItem& item) {
    const TextFile* file = editor.document().currentFile();
    if (!file) return {};
    // A replaced selection no longer counts: check the row as it will be.
    const TextEditor::Range sel = editor.selection();
    if (item.kind == kRowPitch) {
        if (sel.empty()) return checkRowPitchInsert(*file, editor.caret());
        TextFile after = *file;
        after.items.erase(after.items.begin() + static_cast<std::ptrdiff_t>(sel.first),
                          after.items.begin() + static_cast<std::ptrdiff_t>(sel.last));
        return checkRowPitchInsert(after, sel.first);
    }
    if (item.kind == kInclude)
        return checkCall(editor.document().work(), file->name.str(), item.params().name.str());
    return {};
}

std::string insertChecked(TextEditor& editor, TextItem item, bool* inserted) {
    if (inserted) *inserted = false;
    std::string refusal = insertRefusal(editor, item);
    if (!refusal.empty()) return refusal;
    std::vector<TextItem> items;
    items.push_back(std::move(item));
    const bool done = editor.insertItems(std::move(items));
    if (inserted) *inserted = done;
    return {};
}

}  // namespace lumavox
