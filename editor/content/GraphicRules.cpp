#include "content/GraphicRules.h"

#include <algorithm>

#include "content/EditRules.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace {

// The name as it will be stored: at most 8 characters.
std::string storedName(std::string_view name) {
    return Name9(name).str();
}

bool isBlankName(std::string_view name) {
    return trimTrailingBlanks(name).empty();
}

// Names hold at most 8 characters; a longer one is refused, never cut.
bool isTooLong(std::string_view name) {
    return trimTrailingBlanks(name).size() > kMaxFileNameLength;
}

bool namesMatch(const Name9& stored, std::string_view name) {
    std::string a = stored.str();
    std::string b = storedName(name);
    return sameName(std::string_view(a), std::string_view(b));
}

bool isGraphicItemNaming(const TextItem& item, std::string_view graphicName) {
    return item.kind == kGraphicItem && item.hasParams() &&
           namesMatch(item.params().name, graphicName);
}

bool isTextOrWindowFile(const TextFile& f) {
    return f.kind == kTextFile || f.kind == kWindowFile;
}

// Another graphic than `self` (which may be null) already has this name.
bool nameTakenByOther(const WorkArea& wa, std::string_view name, const GraphicFile* self) {
    return std::any_of(wa.graphics.begin(), wa.graphics.end(), [&](const GraphicFile& g) {
        return &g != self && namesMatch(g.name, name);
    });
}

GraphicFile* findGraphicNamed(WorkArea& wa, std::string_view name) {
    for (auto& g : wa.graphics)
        if (namesMatch(g.name, name)) return &g;
    return nullptr;
}

const GraphicFile* findGraphicNamed(const WorkArea& wa, std::string_view name) {
    return findGraphicNamed(const_cast<WorkArea&>(wa), name);
}

}  // namespace

std::string addGraphicRefusal(const WorkArea& wa) {
    if (wa.graphics.size() >= static_cast<size_t>(kMaxGraphics)) return text(msg::kMaxGraphics);
    return {};
}

bool mayAddGraphic(const WorkArea& wa, Prompter& prompter) {
    std::string refusal = addGraphicRefusal(wa);
    if (refusal.empty()) return true;
    prompter.message(refusal, Icon::Error);
    return false;
}

std::string newGraphicRefusal(const WorkArea& wa, std::string_view name, int width, int height) {
    if (isBlankName(name)) return text(msg::kNameEmpty);
    if (isTooLong(name)) return text(msg::kNameTooLong);
    if (width < 1 || width > wa.signWidth)
        return textf(msg::kGraphicWidthRange, {1, static_cast<int>(wa.signWidth)});
    if (height < 1 || height > wa.signHeight)
        return textf(msg::kGraphicHeightRange, {1, static_cast<int>(wa.signHeight)});
    if (nameTakenByOther(wa, name, nullptr)) return text(msg::kNameExists);
    return {};
}

bool createGraphic(WorkArea& wa, std::string_view name, int width, int height, const Clock& clock,
                   std::string& refusal) {
    refusal = addGraphicRefusal(wa);
    if (refusal.empty()) refusal = newGraphicRefusal(wa, name, width, height);
    if (!refusal.empty()) return false;

    GraphicFile g;
    g.stamp = TimeStamp::now(clock);
    g.name = Name9(name);
    g.width = static_cast<uint16_t>(width);
    g.height = static_cast<uint16_t>(height);
    g.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), kPixelOff);
    wa.graphics.push_back(std::move(g));
    return true;
}

TextItem makeGraphicItem(const GraphicFile& g, uint8_t flash) {
    ControlParams p;
    p.name = g.name;
    p.valueC = g.width;
    p.valueD = g.height;
    p.flash2 = flash;
    return TextItem::control(kGraphicItem, p);
}

const TextFile* firstFileUsingGraphic(const WorkArea& wa, std::string_view graphicName) {
    for (const auto& f : wa.textFiles) {
        if (!isTextOrWindowFile(f)) continue;
        for (const auto& item : f.items)
            if (isGraphicItemNaming(item, graphicName)) return &f;
    }
    return nullptr;
}

bool deleteGraphic(WorkArea& wa, std::string_view name, Prompter& prompter) {
    auto it = std::find_if(wa.graphics.begin(), wa.graphics.end(),
                           [&](const GraphicFile& g) { return namesMatch(g.name, name); });
    if (it == wa.graphics.end()) return false;
    std::string graphicName = it->name.str();

    if (!prompter.askYesNo(text(msg::kConfirmDeleteGraphic) + " " + graphicName + "?",
                           Icon::Question))
        return false;
    if (const TextFile* user = firstFileUsingGraphic(wa, graphicName)) {
        prompter.message(textf(msg::kGraphicInUse, {graphicName, user->name.str()}), Icon::Error);
        return false;
    }
    wa.graphics.erase(it);
    return true;
}

bool confirmRenameGraphic(const WorkArea& wa, std::string_view name, Prompter& prompter) {
    const GraphicFile* g = findGraphicNamed(wa, name);
    if (!g) return false;
    return prompter.askYesNo(text(msg::kConfirmRenameGraphic) + " " + g->name.str() + "?",
                             Icon::Question);
}

std::string renameGraphicRefusal(const WorkArea& wa, std::string_view oldName,
                                 std::string_view newName) {
    if (isBlankName(newName)) return text(msg::kNameEmpty);
    if (isTooLong(newName)) return text(msg::kNameTooLong);
    if (nameTakenByOther(wa, newName, findGraphicNamed(wa, oldName))) return text(msg::kNameExists);
    return {};
}

bool applyGraphicRename(WorkArea& wa, std::string_view oldName, std::string_view newName,
                        std::string& refusal) {
    GraphicFile* g = findGraphicNamed(wa, oldName);
    if (!g) {
        refusal.clear();
        return false;
    }
    refusal = renameGraphicRefusal(wa, oldName, newName);
    if (!refusal.empty()) return false;

    // Match against the graphic's stored name: oldName may differ in trailing blanks.
    std::string current = g->name.str();
    Name9 renamed(newName);
    for (auto& f : wa.textFiles) {
        if (!isTextOrWindowFile(f)) continue;
        for (auto& item : f.items)
            if (isGraphicItemNaming(item, current)) item.params().name = renamed;
    }
    g->name = renamed;
    return true;
}

bool renameGraphic(WorkArea& wa, std::string_view oldName, std::string_view newName,
                   Prompter& prompter) {
    if (!confirmRenameGraphic(wa, oldName, prompter)) return false;
    std::string refusal;
    if (applyGraphicRename(wa, oldName, newName, refusal)) return true;
    if (!refusal.empty()) prompter.message(refusal, Icon::Exclamation);
    return false;
}

int fillGraphicSizes(std::vector<TextItem>& items, const WorkArea& wa) {
    int changed = 0;
    for (TextItem& item : items) {
        if (item.kind != kGraphicItem) continue;
        ControlParams& p = item.params();
        if (p.valueC != 0 || p.valueD != 0) continue;
        if (const GraphicFile* g = wa.findGraphic(p.name.str())) {
            p.valueC = static_cast<uint16_t>(g->width);
            p.valueD = static_cast<uint16_t>(g->height);
            ++changed;
        }
    }
    return changed;
}

int fillGraphicSizes(WorkArea& wa) {
    int changed = 0;
    for (TextFile& f : wa.textFiles)
        changed += fillGraphicSizes(f.items, wa);
    return changed;
}

}  // namespace lumavox
