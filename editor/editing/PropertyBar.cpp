#include "editing/PropertyBar.h"

#include <algorithm>
#include <charconv>

#include "content/EditRules.h"
#include "content/Vocabulary.h"
#include "content/WindowLayout.h"
#include "editing/EditModes.h"
#include "render/FontSet.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace {

template <typename List>
std::vector<std::string> toStrings(const List& list) {
    std::vector<std::string> out;
    for (const auto& s : list)
        out.emplace_back(s);
    return out;
}

PropertyRow row(PropertyRowId id, int caption, std::string value, int hint) {
    PropertyRow r;
    r.id = id;
    r.caption = text(caption);
    r.value = std::move(value);
    r.hint = text(hint);
    return r;
}

PropertyRow choiceRow(PropertyRowId id, int caption, std::vector<std::string> options,
                      std::optional<int> selected, int hint) {
    bool inRange = selected && *selected >= 0 && *selected < static_cast<int>(options.size());
    PropertyRow r = row(id, caption, inRange ? options[static_cast<size_t>(*selected)] : "", hint);
    r.edit = PropertyEdit::Choice;
    r.options = std::move(options);
    if (inRange) r.selected = selected;
    return r;
}

PropertyRow actionRow(PropertyRowId id, int caption, std::string value, std::string keyword,
                      int hint) {
    PropertyRow r = row(id, caption, std::move(value), hint);
    r.edit = PropertyEdit::Action;
    r.action = std::move(keyword);
    return r;
}

PropertyRow numberRow(PropertyRowId id, int caption, int value, int minimum, int maximum,
                      int hint) {
    PropertyRow r = row(id, caption, std::to_string(value), hint);
    r.edit = PropertyEdit::Number;
    r.minimum = minimum;
    r.maximum = std::max(minimum, maximum);
    return r;
}

std::vector<std::string> fontNames(const FontSet* fonts) {
    std::vector<std::string> names;
    for (int i = 0; fonts && i < fonts->FontCount(); ++i)
        names.push_back(fonts->FontName(i));
    return names;
}

std::string stampText(const TimeStamp& s) {
    return textf(msg::kPropStamp, {2000 + s.year, s.month, s.day, s.hour, s.minute, s.second});
}

TimeStamp counterStamp(const ControlParams& p) {
    return TimeStamp::fromBytes(p.name.bytes.data());
}

std::optional<int> dateTimeIndex(int code) {
    auto formats = dateTimeFormats();
    for (size_t i = 0; i < formats.size(); ++i)
        if (formats[i].code == code) return static_cast<int>(i);
    return std::nullopt;
}

std::optional<int> indexOf(const std::vector<std::string>& list, std::string_view value) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == value) return static_cast<int>(i);
    return std::nullopt;
}

bool textModes(int mode) {
    return mode != kModeWindowEditor;
}

// The item rows of a control at the caret.
void addItemRows(const PropertyContext& c, const TextItem& item, std::vector<PropertyRow>& rows) {
    const SignMode family = c.document->mode();
    const WorkArea& work = c.document->work();
    if (item.kind == kWindowItem) {
        rows.push_back(actionRow(PropertyRowId::WindowFile, msg::kPropWindowFile,
                                 text(msg::kPropEdit), "WINDOWFILE", msg::kHintWindow));
        rows.back().enabled = c.editMode == kModeText;
        return;
    }
    if (item.isChar()) return;
    const ControlParams& p = item.params();
    switch (item.kind) {
        case kTempCounter:
            if (isCounterFormat(p.valueA)) {
                const bool down = isCountDownFormat(p.valueA);
                const int base = down ? kCountDownBase : kCountUpBase;
                rows.push_back(choiceRow(PropertyRowId::CounterType, msg::kPropType,
                                         {std::string(kCountDownName), std::string(kCountUpName)},
                                         down ? 0 : 1, msg::kHintCounterType));
                rows.push_back(
                    choiceRow(PropertyRowId::CounterFormat, msg::kPropFormat,
                              toStrings(counterDisplayNames()), p.valueA - base,
                              down ? msg::kHintCountDownFormat : msg::kHintCountUpFormat));
                rows.push_back(actionRow(PropertyRowId::CounterDate,
                                         down ? msg::kPropEndDate : msg::kPropFromDate,
                                         stampText(counterStamp(p)), "ENDDATE",
                                         down ? msg::kHintCountDownDate : msg::kHintCountUpDate));
            } else {
                rows.push_back(choiceRow(PropertyRowId::Temperature, msg::kPropTemperature,
                                         toStrings(temperatureNames()), p.valueA,
                                         msg::kHintTemperature));
            }
            break;
        case kMove:
            rows.push_back(choiceRow(PropertyRowId::MoveIn, msg::kPropMoveIn,
                                     toStrings(moveMethodNames(family)), p.valueA,
                                     msg::kHintMoveIn));
            rows.push_back(choiceRow(PropertyRowId::MoveOut, msg::kPropMoveOut,
                                     toStrings(moveOutNames(family)), p.valueB, msg::kHintMoveOut));
            break;
        case kSpeed:
            rows.push_back(choiceRow(PropertyRowId::Speed, msg::kPropSpeed, toStrings(speedNames()),
                                     p.valueC, msg::kHintSpeed));
            break;
        case kPause:
            rows.push_back(choiceRow(PropertyRowId::Pause, msg::kPropPause, toStrings(pauseNames()),
                                     p.valueD, msg::kHintPause));
            break;
        case kDateTime: {
            std::vector<std::string> names;
            for (const NamedFormat& f : dateTimeFormats())
                names.emplace_back(f.name);
            rows.push_back(choiceRow(PropertyRowId::DateTimeFormat, msg::kPropFormat,
                                     std::move(names), dateTimeIndex(p.valueA),
                                     msg::kHintDateTime));
            break;
        }
        case kBeep:
            rows.push_back(choiceRow(PropertyRowId::Beep, msg::kPropBeep, toStrings(beepNames()),
                                     p.valueA, msg::kHintBeep));
            break;
        case kGraphicItem:
            rows.push_back(row(PropertyRowId::GraphicName, msg::kPropGraphicName, p.name.str(),
                               msg::kHintGraphicName));
            if (c.editMode == kModeGraphicEditor) {
                rows.push_back(actionRow(PropertyRowId::GraphicEdit, msg::kPropGraphic,
                                         text(msg::kPropReturn), "RETURNGRAPHIC",
                                         msg::kHintGraphicReturn));
            } else {
                rows.push_back(actionRow(PropertyRowId::GraphicEdit, msg::kPropGraphic,
                                         text(msg::kPropEdit), "GRAPHIC", msg::kHintGraphicEdit));
                rows.back().enabled = c.editMode == kModeText || c.editMode == kModeWindowFile;
            }
            return;  // the graphic rows keep their own availability
        case kRowPitch: {
            std::vector<std::string> entries = rowPitchEntries(family, work.signHeight);
            PropertyRow r = choiceRow(PropertyRowId::RowPitch, msg::kPropRowPitch,
                                      std::move(entries), p.valueA, msg::kHintRowPitch);
            if (r.value.empty()) r.value = rowPitchEntry(p.valueA);
            rows.push_back(std::move(r));
            break;
        }
        case kInclude: {
            std::vector<std::string> targets = includeTargets(work);
            PropertyRow r =
                choiceRow(PropertyRowId::CallFile, msg::kPropCallFile, targets,
                          indexOf(targets, trimTrailingBlanks(p.name.str())), msg::kHintInclude);
            if (r.value.empty()) r.value = p.name.str();
            rows.push_back(std::move(r));
            break;
        }
        default:
            break;
    }
}

void buildTextRows(const PropertyContext& c, PropertyList& list) {
    const EditorDocument& doc = *c.document;
    const TextFile* file = doc.currentFile();
    const int mode = c.editMode;
    const bool editable = c.editor && c.editor->editable();

    PropertyHeader& h = list.header;
    if (file && file->kind == kWindowFile) {
        // A window file edited from an area is not one of the text files the
        // selector switches between: it is named alone.
        h.entries.push_back(file->name.str());
        h.selected = 0;
    } else {
        for (const TextFile& f : doc.work().textFiles) {
            if (f.kind != kTextFile) continue;
            if (file && &f == file) h.selected = static_cast<int>(h.entries.size());
            h.entries.push_back(f.name.str());
        }
    }
    h.enabled = mode == kModeText;
    h.hint =
        text(mode == kModeText || mode == kModePreview ? msg::kHintSwitchFile : msg::kHintNoUse);
    if (!file || !c.editor) return;

    ShownAttributes shown = c.editor->shownAttributes();
    auto& rows = list.rows;
    rows.push_back(actionRow(PropertyRowId::Rename, msg::kPropRename, file->name.str(), "RENAME",
                             msg::kHintRename));
    rows.push_back(choiceRow(PropertyRowId::Font, msg::kPropFont, fontNames(c.fonts), shown.font,
                             msg::kHintFont));
    rows.push_back(choiceRow(PropertyRowId::Colour, msg::kPropColour,
                             toStrings(colourNames(doc.mode())), shown.colour, msg::kHintColour));
    rows.push_back(choiceRow(PropertyRowId::Property, msg::kPropProperty,
                             toStrings(propertyNames()), shown.property, msg::kHintProperty));
    rows.push_back(choiceRow(PropertyRowId::Flash, msg::kPropFlash, toStrings(flashNames()),
                             shown.flash, msg::kHintFlash));
    for (PropertyRow& r : rows)
        r.enabled = editable;

    if (!c.editor->hasSelection()) {
        const TextItem* item = c.editor->itemAtCaret();
        size_t before = rows.size();
        if (item) addItemRows(c, *item, rows);
        for (size_t i = before; i < rows.size(); ++i)
            if (rows[i].id != PropertyRowId::GraphicEdit && rows[i].id != PropertyRowId::WindowFile)
                rows[i].enabled = editable && rows[i].edit != PropertyEdit::None;
    }
    if (mode == kModeWindowFile) {
        // Right after the five rows the return reads as the end of the window
        // text's editing; after an item's rows, as closing the window file.
        bool fifth = rows.size() == 5;
        rows.push_back(actionRow(PropertyRowId::ReturnToWindow, msg::kPropReturn, "",
                                 "RETURNTOWINFILE",
                                 fifth ? msg::kHintEndWindowText : msg::kHintReturnToWindow));
    }
}

void buildAreaRows(const PropertyContext& c, PropertyList& list) {
    PropertyHeader& h = list.header;
    h.hint = text(msg::kHintArea);
    if (!c.window) return;
    const WindowControl& control = c.window->control();
    h.entries = windowAreaEntries(control);
    h.enabled = true;
    std::optional<size_t> selected = c.window->selected();
    if (!selected || *selected >= control.areas.size()) return;
    h.selected = static_cast<int>(*selected);

    const WorkArea& work = c.document->work();
    const WindowArea& a = control.areas[*selected];
    const bool free = c.window->userDefined();
    auto& rows = list.rows;
    rows.push_back(numberRow(PropertyRowId::AreaX, msg::kPropX, a.valueA, 0, work.signWidth - 1,
                             msg::kHintAreaX));
    rows.push_back(numberRow(PropertyRowId::AreaY, msg::kPropY, a.valueB, 0, work.signHeight - 1,
                             msg::kHintAreaY));
    rows.push_back(numberRow(PropertyRowId::AreaWidth, msg::kPropWidth, a.valueC, 1,
                             work.signWidth - a.valueA, msg::kHintAreaWidth));
    rows.push_back(numberRow(PropertyRowId::AreaHeight, msg::kPropHeight, a.valueD, 1,
                             work.signHeight - a.valueB, msg::kHintAreaHeight));
    for (PropertyRow& r : rows)
        r.enabled = free;
    std::vector<std::string> alignments;
    for (int i = 0; i < 9; ++i)
        alignments.emplace_back(alignmentName(i));
    rows.push_back(choiceRow(PropertyRowId::AreaAlign, msg::kPropAlign, std::move(alignments),
                             a.byteE, msg::kHintAreaAlign));
    rows.push_back(actionRow(PropertyRowId::AreaCall, msg::kPropCall, a.name.str(), "WINFILECALL",
                             msg::kHintAreaCall));
    rows.push_back(
        actionRow(PropertyRowId::AreaEdit, msg::kPropEdit, "", "WINFILEEDIT", msg::kHintAreaEdit));
    rows.push_back(actionRow(PropertyRowId::AreaEndEdit, msg::kPropEndEdit, "", "WINFILEENDEDIT",
                             msg::kHintAreaEndEdit));
}

// Changes the control item at the caret (nothing selected) as one undo step.
PropertyResult changeItemAtCaret(const PropertyContext& c,
                                 const std::function<bool(TextItem&)>& change) {
    PropertyResult result;
    if (!c.editor || !c.editor->editable() || c.editor->hasSelection()) return result;
    const size_t at = c.editor->caret();
    result.changed = c.document->changeCurrent([&](TextFile& f) {
        return at + 1 < f.items.size() && !f.items[at].isChar() && change(f.items[at]);
    });
    return result;
}

// Sets one field of a control's parameters when the item has the kind and the
// value is in range.
PropertyResult setParam(const PropertyContext& c, uint8_t kind, uint16_t ControlParams::*field,
                        int value, int count) {
    if (value < 0 || value >= count) return {};
    return changeItemAtCaret(c, [&](TextItem& item) {
        if (item.kind != kind) return false;
        item.params().*field = static_cast<uint16_t>(value);
        return true;
    });
}

bool validContext(const PropertyContext& c) {
    return c.document != nullptr;
}

}  // namespace

PropertyList buildPropertyList(const PropertyContext& context) {
    PropertyList list;
    if (!validContext(context)) return list;
    if (textModes(context.editMode))
        buildTextRows(context, list);
    else
        buildAreaRows(context, list);
    return list;
}

std::string propertyHint(const PropertyList& list, int index) {
    if (index < 0) return list.header.hint;
    if (static_cast<size_t>(index) >= list.rows.size()) return {};
    return list.rows[static_cast<size_t>(index)].hint;
}

PropertyResult applyPropertyChoice(const PropertyContext& c, PropertyRowId id, int option,
                                   Prompter& prompter) {
    PropertyResult result;
    if (!validContext(c)) return result;
    const SignMode family = c.document->mode();
    switch (id) {
        case PropertyRowId::Font:
            result.changed = c.editor && c.editor->applyFont(option);
            return result;
        case PropertyRowId::Colour:
            result.changed = c.editor && c.editor->applyColour(option);
            return result;
        case PropertyRowId::Property:
            result.changed = c.editor && c.editor->applyProperty(option);
            return result;
        case PropertyRowId::Flash:
            result.changed = c.editor && c.editor->applyFlash(option);
            return result;
        case PropertyRowId::Temperature:
            return changeItemAtCaret(c, [&](TextItem& item) {
                if (item.kind != kTempCounter || isCounterFormat(item.params().valueA) ||
                    option < 0 || option >= static_cast<int>(temperatureNames().size()))
                    return false;
                item.params().valueA = static_cast<uint16_t>(option);
                return true;
            });
        case PropertyRowId::CounterType:
            return changeItemAtCaret(c, [&](TextItem& item) {
                if (item.kind != kTempCounter) return false;
                uint16_t& format = item.params().valueA;
                if (!isCounterFormat(format) || option < 0 || option > 1) return false;
                int display = format - (isCountDownFormat(format) ? kCountDownBase : kCountUpBase);
                format =
                    static_cast<uint16_t>((option == 0 ? kCountDownBase : kCountUpBase) + display);
                return true;
            });
        case PropertyRowId::CounterFormat:
            return changeItemAtCaret(c, [&](TextItem& item) {
                if (item.kind != kTempCounter) return false;
                uint16_t& format = item.params().valueA;
                if (!isCounterFormat(format) || option < 0 || option >= kCounterDisplayCount)
                    return false;
                format = static_cast<uint16_t>(
                    (isCountDownFormat(format) ? kCountDownBase : kCountUpBase) + option);
                return true;
            });
        case PropertyRowId::MoveIn:
            return setParam(c, kMove, &ControlParams::valueA, option, kMoveMethodCount);
        case PropertyRowId::MoveOut:
            return setParam(c, kMove, &ControlParams::valueB, option, kMoveMethodCount + 1);
        case PropertyRowId::Speed:
            return setParam(c, kSpeed, &ControlParams::valueC, option,
                            static_cast<int>(speedNames().size()));
        case PropertyRowId::Pause:
            return setParam(c, kPause, &ControlParams::valueD, option,
                            static_cast<int>(pauseNames().size()));
        case PropertyRowId::Beep:
            return setParam(c, kBeep, &ControlParams::valueA, option,
                            static_cast<int>(beepNames().size()));
        case PropertyRowId::DateTimeFormat: {
            auto formats = dateTimeFormats();
            if (option < 0 || option >= static_cast<int>(formats.size())) return result;
            return setParam(c, kDateTime, &ControlParams::valueA,
                            formats[static_cast<size_t>(option)].code, 256);
        }
        case PropertyRowId::RowPitch:
            return setParam(c, kRowPitch, &ControlParams::valueA, option,
                            rowPitchCount(family, c.document->work().signHeight));
        case PropertyRowId::CallFile: {
            std::vector<std::string> targets = includeTargets(c.document->work());
            const TextFile* file = c.document->currentFile();
            if (!file || option < 0 || option >= static_cast<int>(targets.size())) return result;
            const std::string& name = targets[static_cast<size_t>(option)];
            std::string refusal = checkCall(c.document->work(), file->name.str(), name);
            if (!refusal.empty()) {
                prompter.message(refusal, Icon::Error);
                result.error = refusal;
                return result;
            }
            return changeItemAtCaret(c, [&](TextItem& item) {
                if (item.kind != kInclude) return false;
                item.params().name = Name9(name);
                return true;
            });
        }
        case PropertyRowId::AreaAlign: {
            if (!c.window || !c.window->selected()) return result;
            result.changed = c.window->setAlignment(*c.window->selected(), option);
            return result;
        }
        default:
            return result;
    }
}

PropertyResult applyProperty(const PropertyContext& c, PropertyRowId id, const std::string& value,
                             Prompter& prompter) {
    PropertyResult result;
    if (!validContext(c)) return result;
    switch (id) {
        case PropertyRowId::AreaX:
        case PropertyRowId::AreaY:
        case PropertyRowId::AreaWidth:
        case PropertyRowId::AreaHeight: {
            if (!c.window || !c.window->selected()) return result;
            int number = 0;
            const char* end = value.data() + value.size();
            auto [ptr, ec] = std::from_chars(value.data(), end, number);
            if (ec != std::errc() || ptr != end) return result;
            const size_t index = *c.window->selected();
            const WindowArea& a = c.window->control().areas[index];
            int x = a.valueA, y = a.valueB, w = a.valueC, h = a.valueD;
            if (id == PropertyRowId::AreaX) x = number;
            if (id == PropertyRowId::AreaY) y = number;
            if (id == PropertyRowId::AreaWidth) w = number;
            if (id == PropertyRowId::AreaHeight) h = number;
            result.changed = c.window->setGeometry(index, x, y, w, h);
            return result;
        }
        default: {
            // A choice given by its text.
            PropertyList list = buildPropertyList(c);
            for (const PropertyRow& r : list.rows)
                if (r.id == id && r.edit == PropertyEdit::Choice)
                    if (std::optional<int> option = indexOf(r.options, value))
                        return applyPropertyChoice(c, id, *option, prompter);
            return result;
        }
    }
}

PropertyResult selectHeaderEntry(const PropertyContext& c, int entry) {
    PropertyResult result;
    if (!validContext(c) || entry < 0) return result;
    if (!textModes(c.editMode)) {
        if (c.window && static_cast<size_t>(entry) < c.window->control().areas.size())
            c.window->select(static_cast<size_t>(entry));
        return result;
    }
    if (c.editMode != kModeText) return result;
    int n = 0;
    const auto& files = c.document->work().textFiles;
    for (size_t i = 0; i < files.size(); ++i) {
        if (files[i].kind != kTextFile) continue;
        if (n++ == entry) {
            int before = c.document->currentIndex();
            c.document->setCurrentFile(static_cast<int>(i));
            result.changed = before != c.document->currentIndex();
            break;
        }
    }
    return result;
}

PropertyResult propertyAction(const PropertyContext& c, const std::string& keyword,
                              Prompter& prompter) {
    PropertyResult result;
    if (!validContext(c)) return result;
    const bool editable = c.editor && c.editor->editable();
    const TextItem* item =
        c.editor && !c.editor->hasSelection() ? c.editor->itemAtCaret() : nullptr;

    if (keyword == "RENAME") {
        if (editable && c.document->currentFile()) result.request = PropertyRequest::RenamePrompt;
    } else if (keyword == "ENDDATE") {
        if (editable && item && item->kind == kTempCounter &&
            isCounterFormat(item->params().valueA)) {
            result.request = PropertyRequest::CounterDateDialog;
            result.stamp = counterStamp(item->params());
        }
    } else if (keyword == "GRAPHIC") {
        if (item && item->kind == kGraphicItem &&
            (c.editMode == kModeText || c.editMode == kModeWindowFile)) {
            result.request = PropertyRequest::OpenGraphicEditor;
            result.name = item->params().name.str();
        }
    } else if (keyword == "RETURNGRAPHIC") {
        if (c.editMode == kModeGraphicEditor) result.request = PropertyRequest::ReturnFromGraphic;
    } else if (keyword == "WINDOWFILE") {
        if (item && item->kind == kWindowItem && c.editMode == kModeText)
            result.request = PropertyRequest::OpenWindowEditor;
    } else if (keyword == "WINFILECALL") {
        if (c.window && c.editMode == kModeWindowEditor && c.window->selected()) {
            result.request = PropertyRequest::ChooseAreaFile;
            result.choices = c.window->callChoices();
        }
    } else if (keyword == "WINFILEEDIT") {
        if (c.window && c.editMode == kModeWindowEditor && c.window->beginEditAreaFile(prompter))
            result.request = PropertyRequest::EditAreaFile;
    } else if (keyword == "WINFILEENDEDIT") {
        if (c.window && c.window->tryLeave(prompter))
            result.request = PropertyRequest::LeaveWindowEditor;
    } else if (keyword == "RETURNTOWINFILE") {
        if (c.window && c.window->endEditAreaFile())
            result.request = PropertyRequest::ReturnToWindowEditor;
    }
    return result;
}

PropertyResult renameCurrentFile(const PropertyContext& c, const std::string& newName,
                                 Prompter& prompter) {
    PropertyResult result;
    if (!validContext(c) || !c.editor || !c.editor->editable()) return result;
    const TextFile* file = c.document->currentFile();
    if (!file) return result;
    const std::string oldName = file->name.str();
    std::string refusal;
    result.changed = c.document->changeWorkArea([&](WorkArea& work) {
        refusal = renameTextFile(work, oldName, newName);
        return refusal.empty() && !sameName(oldName, newName);
    });
    if (!refusal.empty()) {
        prompter.message(refusal, Icon::Exclamation);
        result.error = refusal;
    }
    return result;
}

PropertyResult setCounterDate(const PropertyContext& c, const CalendarTime& when,
                              Prompter& prompter) {
    PropertyResult result;
    if (!validContext(c)) return result;
    if (std::string refusal = checkCounterYear(when.year); !refusal.empty()) {
        prompter.message(refusal, Icon::Exclamation);
        result.error = refusal;
        return result;
    }
    const TimeStamp stamp = TimeStamp::from(when);
    return changeItemAtCaret(c, [&](TextItem& item) {
        if (item.kind != kTempCounter || !isCounterFormat(item.params().valueA)) return false;
        auto bytes = stamp.bytes();
        std::copy(bytes.begin(), bytes.end(), item.params().name.bytes.begin());
        return true;
    });
}

PropertyResult setAreaCall(const PropertyContext& c, const std::string& name, Prompter& prompter) {
    PropertyResult result;
    if (validContext(c) && c.window && c.editMode == kModeWindowEditor)
        result.changed = c.window->setCalledFile(name, prompter);
    return result;
}

}  // namespace lumavox
