#include "content/EditRules.h"

#include <algorithm>
#include <set>

#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace {

constexpr int kFirstCounterYear = 2000;
constexpr int kLastCounterYear = 2099;

bool isRowBreak(const TextItem& item) {
    return item.isCharCode(kCR) || item.isCharCode(kLF);
}

// Walks the call graph depth first from the files `start` calls and reports
// whether any path reaches `target`. Every file is expanded at most once, so
// the walk ends on a work area that already holds a cycle.
bool reachesFrom(const WorkArea& area, std::string_view start, std::string_view target) {
    std::set<std::string> visited;
    std::vector<std::string> pending{trimTrailingBlanks(start)};
    bool first = true;
    while (!pending.empty()) {
        std::string name = std::move(pending.back());
        pending.pop_back();
        // The start file itself only counts as reached through a real path.
        if (!first && sameName(name, target)) return true;
        first = false;
        if (!visited.insert(name).second) continue;
        const TextFile* file = area.findFile(name);
        if (file == nullptr) continue;
        auto calls = directCalls(*file);
        // Reversed so that the first call in item order is walked first.
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            pending.push_back(trimTrailingBlanks(*it));
    }
    return false;
}

std::vector<TextFile>::iterator findFileIt(WorkArea& area, std::string_view name) {
    return std::find_if(area.textFiles.begin(), area.textFiles.end(),
                        [&](const TextFile& f) { return sameName(f.name.str(), name); });
}

}  // namespace

// ---- File names and the file list ------------------------------------------

std::string checkTextFileName(const WorkArea& area, std::string_view name) {
    const std::string trimmed = trimTrailingBlanks(name);
    if (trimmed.empty()) return text(msg::kNameEmpty);
    if (trimmed.size() > kMaxFileNameLength) return text(msg::kNameTooLong);
    if (trimmed == "DEMO") return text(msg::kNameDemo);
    if (area.findFile(trimmed) != nullptr) return text(msg::kNameExists);
    return {};
}

std::string checkCanAddTextFile(const WorkArea& area) {
    if (area.textFileCount() >= kMaxTextFiles) return text(msg::kMaxTextFiles);
    return {};
}

std::string addTextFile(WorkArea& area, std::string_view name, const CharItem& attributes,
                        const TimeStamp& stamp, uint8_t kind) {
    if (kind == kTextFile) {
        if (auto refusal = checkCanAddTextFile(area); !refusal.empty()) return refusal;
    }
    if (auto refusal = checkTextFileName(area, name); !refusal.empty()) return refusal;

    TextFile file;
    file.kind = kind;
    file.name = Name9(trimTrailingBlanks(name));
    file.stamp = stamp;
    CharItem marker = attributes;
    marker.character = kCR;
    file.items.push_back(TextItem::character(marker));
    area.textFiles.push_back(std::move(file));
    return {};
}

bool deleteTextFile(WorkArea& area, std::string_view name, Prompter& prompter) {
    auto doomed = findFileIt(area, name);
    if (doomed == area.textFiles.end()) return false;
    const std::string doomedName = doomed->name.str();

    if (doomed->kind == kTextFile && area.textFileCount() <= 1) {
        prompter.message(text(msg::kLastTextFile), Icon::Exclamation);
        return false;
    }
    if (auto caller = findCaller(area, doomedName)) {
        const std::string question =
            textf(msg::kDeleteCalledFile, {*caller, doomedName, doomedName, *caller, *caller});
        if (!prompter.askYesNo(question, Icon::Exclamation)) return false;
    }
    if (!prompter.askYesNo(textf(msg::kConfirmDeleteText, {doomedName}), Icon::Question))
        return false;

    // The questions above cannot change the list, but look the file up again so
    // the erase never depends on an iterator kept across calls out.
    doomed = findFileIt(area, doomedName);
    if (doomed == area.textFiles.end()) return false;
    area.textFiles.erase(doomed);
    return true;
}

// ---- Calls -----------------------------------------------------------------

std::vector<std::string> directCalls(const TextFile& file) {
    std::vector<std::string> calls;
    for (const auto& item : file.items) {
        if (item.kind == kInclude && item.hasParams()) {
            if (!item.params().name.empty()) calls.push_back(item.params().name.str());
        } else if (item.kind == kWindowItem && item.hasWindow()) {
            for (const auto& a : item.window().areas)
                if (!a.name.empty()) calls.push_back(a.name.str());
        }
    }
    return calls;
}

bool callsFile(const WorkArea& area, std::string_view from, std::string_view target) {
    return reachesFrom(area, from, target);
}

std::optional<std::string> findCaller(const WorkArea& area, std::string_view target) {
    for (const auto& f : area.textFiles) {
        const std::string name = f.name.str();
        if (sameName(name, target)) continue;
        if (reachesFrom(area, name, target)) return name;
    }
    return std::nullopt;
}

std::string checkCall(const WorkArea& area, std::string_view caller, std::string_view callee) {
    const std::string a = trimTrailingBlanks(caller);
    const std::string b = trimTrailingBlanks(callee);
    if (a == b) return text(msg::kCallItself);
    if (reachesFrom(area, b, a)) return textf(msg::kCallRecursion, {b, a});
    return {};
}

std::vector<std::string> includeTargets(const WorkArea& area) {
    std::vector<std::string> names;
    for (const auto& f : area.textFiles)
        if (f.kind == kTextFile) names.push_back(f.name.str());
    return names;
}

std::string renameTextFile(WorkArea& area, std::string_view oldName, std::string_view newName) {
    auto file = findFileIt(area, oldName);
    if (file == area.textFiles.end()) return {};
    if (sameName(oldName, newName)) return {};
    if (auto refusal = checkTextFileName(area, newName); !refusal.empty()) return refusal;

    const Name9 renamed(trimTrailingBlanks(newName));
    for (auto& f : area.textFiles) {
        for (auto& item : f.items) {
            if (item.kind == kInclude && item.hasParams()) {
                if (sameName(item.params().name.str(), oldName)) item.params().name = renamed;
            } else if (item.kind == kWindowItem && item.hasWindow()) {
                for (auto& a : item.window().areas)
                    if (sameName(a.name.str(), oldName)) a.name = renamed;
            }
        }
    }
    file->name = renamed;
    return {};
}

// ---- Row pitch -------------------------------------------------------------

bool canInsertRowPitch(const TextFile& file, size_t caretIndex) {
    const auto& items = file.items;
    const size_t caret = std::min(caretIndex, items.size());
    size_t begin = caret;
    while (begin > 0 && !isRowBreak(items[begin - 1]))
        --begin;
    for (size_t i = begin; i < items.size(); ++i) {
        if (items[i].kind == kRowPitch) return false;
        if (i >= caret && isRowBreak(items[i])) break;
    }
    return true;
}

std::string checkRowPitchInsert(const TextFile& file, size_t caretIndex) {
    if (canInsertRowPitch(file, caretIndex)) return {};
    return text(msg::kOneRowPitch);
}

// ---- Typing ----------------------------------------------------------------

std::optional<TextItem> makeTypedChar(uint16_t ch, const CharItem& attributesAtCaret,
                                      int fontFirstCode, int fontEndCode) {
    constexpr uint16_t kTab = 9;
    constexpr uint16_t kSpace = 32;
    if (ch == kTab) ch = kSpace;
    if (ch != kCR && ch != kLF && (ch < fontFirstCode || ch >= fontEndCode)) return std::nullopt;
    CharItem c = attributesAtCaret;
    c.character = ch;
    return TextItem::character(c);
}

size_t placeTypedItem(TextFile& file, size_t caret, TextItem item, bool overwrite) {
    auto& items = file.items;
    if (items.empty()) {
        // A file always ends with its marker; rebuild it if it is missing.
        CharItem marker = item.isChar() ? item.ch() : CharItem{};
        marker.character = kCR;
        items.push_back(TextItem::character(marker));
    }
    const size_t marker = items.size() - 1;
    caret = std::min(caret, marker);
    if (overwrite && caret < marker && !isRowBreak(items[caret])) {
        items[caret] = std::move(item);
    } else {
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(caret), std::move(item));
    }
    return caret + 1;
}

// ---- Counters --------------------------------------------------------------

std::string checkCounterYear(int year) {
    if (year < kFirstCounterYear || year > kLastCounterYear) return text(msg::kCounterYearRange);
    return {};
}

}  // namespace lumavox
