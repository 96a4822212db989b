#include "editing/NvsMenu.h"

#include <algorithm>

namespace lumavox {

namespace {

bool removedForNvs(int command) {
    switch (command) {
        case cmd::kInsertInclude:
        case cmd::kChangeBaud:
        case cmd::kSendText:
        case cmd::kSendGraphic:
        case cmd::kSendSchedule:
        case cmd::kTestDisplay:
        case cmd::kAutoOnOff:
            return true;
        default:
            return false;
    }
}

bool holds(const MenuEntry& popup, int command) {
    return std::any_of(popup.items.begin(), popup.items.end(),
                       [&](const MenuEntry& e) { return e.command == command; });
}

void removeOneSeparator(std::vector<MenuEntry>& items) {
    auto isSeparator = [&](size_t i) {
        return i < items.size() && items[i].kind == MenuEntry::Separator;
    };
    size_t chosen = items.size();
    for (size_t i = 0; i < items.size() && chosen == items.size(); ++i) {
        if (!isSeparator(i)) continue;
        bool redundant =
            i == 0 || i + 1 == items.size() || isSeparator(i - 1) || isSeparator(i + 1);
        if (redundant) chosen = i;
    }
    if (chosen == items.size()) {
        auto first = std::find_if(items.begin(), items.end(), [](const MenuEntry& e) {
            return e.kind == MenuEntry::Separator;
        });
        if (first == items.end()) return;
        chosen = static_cast<size_t>(first - items.begin());
    }
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(chosen));
}

}  // namespace

std::vector<MenuEntry> nvsMainMenu(const std::vector<MenuEntry>& bar) {
    std::vector<MenuEntry> out;
    for (const MenuEntry& top : bar) {
        if (top.kind == MenuEntry::Popup && holds(top, cmd::kReadMemory)) continue;
        MenuEntry menu = top;
        bool insert = holds(top, cmd::kInsertGraphic);
        bool update = holds(top, cmd::kSendAll);
        std::erase_if(menu.items, [](const MenuEntry& e) {
            return e.kind == MenuEntry::Command && removedForNvs(e.command);
        });
        if (insert || update) removeOneSeparator(menu.items);
        out.push_back(std::move(menu));
    }
    return out;
}

std::optional<UpdateKind> nvsCommandKind(int command) {
    switch (command) {
        case cmd::kSendAll:
            return UpdateKind::SendAll;
        case cmd::kAdjustTime:
            return UpdateKind::AdjustTime;
        case cmd::kChangeAddress:
            return UpdateKind::ChangeAddress;
        case cmd::kSignOff:
            return UpdateKind::SignOff;
        case cmd::kSignOn:
            return UpdateKind::SignOn;
        case cmd::kClearSign:
            return UpdateKind::ClearMemory;
        case cmd::kSetDefaultFile:
            return UpdateKind::SetDefault;
        default:
            return std::nullopt;
    }
}

}  // namespace lumavox
