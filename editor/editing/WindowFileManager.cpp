#include "editing/WindowFileManager.h"

#include "content/EditRules.h"
#include "content/WindowLayout.h"

namespace lumavox {

WindowFileManager::WindowFileManager(EditorDocument& document, uint8_t defaultFont,
                                     WindowEditSession* session)
    : doc_(document), font_(defaultFont), session_(session) {}

std::vector<std::string> WindowFileManager::names() const {
    return windowFileNames(doc_.work());
}

std::string WindowFileManager::current() const {
    if (!session_) return {};
    session_->refresh();
    const std::optional<size_t> selected = session_->selected();
    if (!selected || *selected >= session_->control().areas.size()) return {};
    return trimTrailingBlanks(session_->control().areas[*selected].name.str());
}

std::string WindowFileManager::create(std::string_view name) {
    KeptMessage refusal;
    doc_.changeWorkArea([&](WorkArea& work) {
        return createWindowFile(work, name, font_, doc_.mode(), doc_.clock(), refusal).has_value();
    });
    return refusal.kept;
}

std::string WindowFileManager::rename(std::string_view oldName, std::string_view newName) {
    std::string refusal;
    doc_.changeWorkArea([&](WorkArea& work) {
        refusal = renameTextFile(work, oldName, newName);
        return refusal.empty() && !sameName(oldName, newName);
    });
    // The areas of the control being edited may call the renamed file.
    if (session_) session_->refresh();
    return refusal;
}

bool WindowFileManager::remove(std::string_view name, Prompter& prompter) {
    return doc_.changeWorkArea(
        [&](WorkArea& work) { return deleteWindowFile(work, name, prompter); });
}

bool WindowFileManager::choose(std::string_view name, Prompter& prompter) {
    return session_ && session_->setCalledFile(name, prompter);
}

}  // namespace lumavox
