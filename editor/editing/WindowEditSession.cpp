#include "editing/WindowEditSession.h"

#include <utility>

namespace lumavox {

std::unique_ptr<WindowEditSession> WindowEditSession::open(EditorDocument& document,
                                                           size_t itemIndex) {
    const TextFile* f = document.currentFile();
    if (!f || itemIndex >= f->items.size() || !f->items[itemIndex].isWindow()) return nullptr;
    const WindowControl& control = f->items[itemIndex].window();
    if (control.areas.empty()) return nullptr;
    return std::unique_ptr<WindowEditSession>(
        new WindowEditSession(document, f->name.str(), itemIndex, control));
}

WindowEditSession::WindowEditSession(EditorDocument& document, std::string owner, size_t item,
                                     const WindowControl& control)
    : doc_(document),
      owner_(std::move(owner)),
      item_(item),
      control_(control),
      editor_(control_, document.work().signWidth, document.work().signHeight) {
    editor_.select(0);
}

int WindowEditSession::editMode() const {
    return editedFile_.empty() ? 1 : 2;
}

void WindowEditSession::refresh() {
    const TextFile* f = doc_.work().findFile(owner_);
    if (!f || item_ >= f->items.size() || !f->items[item_].isWindow()) return;
    const WindowControl& stored = f->items[item_].window();
    if (stored == control_ || stored.areas.empty()) return;
    std::optional<size_t> selected = editor_.selected();
    control_ = stored;
    editor_.select(selected && *selected < control_.areas.size() ? selected : 0);
}

bool WindowEditSession::commit() {
    auto write = [&](TextFile& f) {
        if (item_ >= f.items.size() || !f.items[item_].isWindow()) return false;
        if (f.items[item_].window() == control_) return false;
        f.items[item_].window() = control_;
        return true;
    };
    const TextFile* current = doc_.currentFile();
    if (current && sameName(current->name.str(), owner_)) return doc_.changeCurrent(write);
    return doc_.changeWorkArea([&](WorkArea& work) {
        TextFile* f = work.findFile(owner_);
        return f && write(*f);
    });
}

bool WindowEditSession::move(WindowEditor::Direction direction) {
    refresh();
    return editor_.move(direction) && commit();
}

bool WindowEditSession::setGeometry(size_t index, int x, int y, int width, int height) {
    refresh();
    return editor_.setGeometry(index, x, y, width, height) && commit();
}

bool WindowEditSession::setAlignment(size_t index, int alignment) {
    refresh();
    return editor_.setAlignment(index, alignment) && commit();
}

bool WindowEditSession::addArea(Prompter& prompter) {
    refresh();
    return editor_.addArea(prompter) && commit();
}

bool WindowEditSession::deleteArea(Prompter& prompter) {
    refresh();
    return editor_.deleteArea(prompter) && commit();
}

WindowEditor::ClickResult WindowEditSession::clickArea(std::optional<size_t> index) {
    WindowEditor::ClickResult result = editor_.clickArea(index);
    if (result != WindowEditor::ClickResult::Ignored) commit();
    return result;
}

std::vector<std::string> WindowEditSession::callChoices() const {
    return windowFileNames(doc_.work());
}

bool WindowEditSession::setCalledFile(std::string_view name, Prompter& prompter) {
    refresh();
    std::optional<size_t> selected = editor_.selected();
    if (!selected) return false;
    return setAreaCalledFile(doc_.work(), owner_, control_, *selected, name, prompter) && commit();
}

bool WindowEditSession::beginEditAreaFile(Prompter& prompter) {
    refresh();
    std::optional<size_t> selected = editor_.selected();
    if (!selected || !editedFile_.empty()) return false;
    std::optional<std::string> name = areaFileToEdit(control_.areas[*selected], prompter);
    if (!name || !doc_.work().findFile(*name)) return false;
    if (!doc_.setCurrentFile(*name)) return false;
    editedFile_ = *name;
    return true;
}

bool WindowEditSession::endEditAreaFile() {
    if (editedFile_.empty()) return false;
    editedFile_.clear();
    doc_.setCurrentFile(owner_);
    refresh();
    return true;
}

bool WindowEditSession::tryLeave(Prompter& prompter) {
    endEditAreaFile();
    refresh();
    return editor_.tryLeave(prompter);
}

}  // namespace lumavox
