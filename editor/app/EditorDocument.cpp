#include "app/EditorDocument.h"

#include <algorithm>
#include <utility>

#include "content/Vocabulary.h"

namespace lumavox {

namespace {

// Every file ends with its end-of-text marker; a file that lost it gets one
// back with the attributes of its last character (or the family's defaults).
void ensureMarker(TextFile& file, SignMode mode, const CharItem* lastMarker = nullptr) {
    if (!file.items.empty() && file.items.back().isCharCode(kCR)) return;
    CharItem marker;
    marker.colour = defaultColour(mode);
    if (lastMarker)
        marker = *lastMarker;
    else if (!file.items.empty() && file.items.back().isChar())
        marker = file.items.back().ch();
    marker.character = kCR;
    file.items.push_back(TextItem::character(marker));
}

// The file the editor shows first: the first text file, else the first file.
int firstFileIndex(const WorkArea& work) {
    for (size_t i = 0; i < work.textFiles.size(); ++i)
        if (work.textFiles[i].kind == kTextFile) return static_cast<int>(i);
    return work.textFiles.empty() ? -1 : 0;
}

}  // namespace

EditorDocument::EditorDocument(SignMode mode, const Clock& clock) : mode_(mode), clock_(clock) {}

template <typename Fn>
void EditorDocument::trackModified(unsigned changes, Fn fn) {
    bool before = modified();
    fn();
    if (modified() != before) changes |= kChangedModified;
    if (changes) notify(changes);
}

bool EditorDocument::modified() const {
    if (unsavedOther_) return true;
    const UndoHistory::Snapshot* now = history_.current();
    return now && now->serial != savedSerial_;
}

void EditorDocument::adopt(WorkArea work, bool modified) {
    trackModified(kChangedAll & ~kChangedModified, [&] {
        for (TextFile& f : work.textFiles)
            ensureMarker(f, mode_);
        work_ = std::move(work);
        path_.clear();
        current_ = firstFileIndex(work_);
        restartHistory();
        savedSerial_ = history_.current() ? history_.current()->serial : 0;
        unsavedOther_ = modified;
    });
}

bool EditorDocument::open(const std::filesystem::path& path, const OpenOptions& options,
                          std::string& error, std::vector<std::string>* warnings) {
    OpenOptions opts = options;
    opts.mode = mode_;
    OpenResult result = openDocument(path, opts);
    if (warnings) *warnings = result.warnings;
    if (!result.ok) {
        error = result.error;
        return false;
    }
    adopt(std::move(result.work), false);
    path_ = path;
    return true;
}

bool EditorDocument::saveAs(const std::filesystem::path& path, std::string& error) {
    // The save refreshes the stamps of every file; the items stay as they are,
    // so the undo history is untouched.
    if (!saveDocument(path, work_, mode_, clock_, error)) return false;
    unsigned changes = path != path_ ? kChangedPath : 0u;
    trackModified(changes, [&] {
        path_ = path;
        unsavedOther_ = false;
        savedSerial_ = history_.current() ? history_.current()->serial : 0;
    });
    return true;
}

bool EditorDocument::save(std::string& error) {
    // A document without a name is saved with saveAs after asking for one.
    if (path_.empty()) {
        error.clear();
        return false;
    }
    return saveAs(path_, error);
}

const TextFile* EditorDocument::currentFile() const {
    if (current_ < 0 || static_cast<size_t>(current_) >= work_.textFiles.size()) return nullptr;
    return &work_.textFiles[static_cast<size_t>(current_)];
}

std::vector<uint8_t> EditorDocument::snapshotOfCurrent() const {
    const TextFile* f = currentFile();
    return f ? encodeClipboardItems(f->items) : std::vector<uint8_t>{};
}

void EditorDocument::restartHistory() {
    if (currentFile())
        history_.reset(snapshotOfCurrent());
    else
        history_ = UndoHistory{};
}

bool EditorDocument::setCurrentFile(int index) {
    if (index < 0 || static_cast<size_t>(index) >= work_.textFiles.size()) return false;
    if (index == current_) return true;
    trackModified(kChangedCurrentFile, [&] {
        // The saved state of the old file's history cannot be reached from the
        // new one: a modified document stays modified until it is saved.
        bool wasModified = modified();
        current_ = index;
        restartHistory();
        if (wasModified)
            unsavedOther_ = true;
        else
            savedSerial_ = history_.current()->serial;
    });
    return true;
}

bool EditorDocument::setCurrentFile(std::string_view name) {
    for (size_t i = 0; i < work_.textFiles.size(); ++i)
        if (sameName(work_.textFiles[i].name.str(), name))
            return setCurrentFile(static_cast<int>(i));
    return false;
}

bool EditorDocument::changeCurrent(const std::function<bool(TextFile&)>& change) {
    if (!currentFile()) return false;
    TextFile& file = work_.textFiles[static_cast<size_t>(current_)];
    std::optional<CharItem> marker;
    if (!file.items.empty() && file.items.back().isChar()) marker = file.items.back().ch();
    if (!change(file)) return false;
    ensureMarker(file, mode_, marker ? &*marker : nullptr);
    std::vector<uint8_t> state = snapshotOfCurrent();
    if (history_.current() && history_.current()->bytes == state) return false;
    trackModified(kChangedItems, [&] { history_.record(std::move(state)); });
    return true;
}

bool EditorDocument::changeWorkArea(const std::function<bool(WorkArea&)>& change) {
    std::string oldName = currentFile() ? currentFile()->name.str() : std::string();
    size_t oldCount = work_.textFiles.size();
    if (!change(work_)) return false;

    unsigned changes = kChangedFiles;
    bool wasModified = modified();
    [&] {
        for (TextFile& f : work_.textFiles)
            ensureMarker(f, mode_);
        unsavedOther_ = true;
        // Find the current file again: by name, by position after a rename,
        // else start over on the first text file.
        int found = -1;
        for (size_t i = 0; i < work_.textFiles.size(); ++i)
            if (!oldName.empty() && sameName(work_.textFiles[i].name.str(), oldName))
                found = static_cast<int>(i);
        if (found < 0 && current_ >= 0 && work_.textFiles.size() == oldCount) found = current_;
        if (found < 0 || current_ < 0) {
            current_ = firstFileIndex(work_);
            restartHistory();
            changes |= kChangedCurrentFile | kChangedItems;
            return;
        }
        current_ = found;
        std::vector<uint8_t> state = snapshotOfCurrent();
        if (!history_.current() || history_.current()->bytes != state) {
            history_.record(std::move(state));
            changes |= kChangedItems;
        }
    }();
    if (modified() != wasModified) changes |= kChangedModified;
    notify(changes);
    return true;
}

bool EditorDocument::restore(const UndoHistory::Snapshot& snapshot) {
    std::vector<TextItem> items;
    std::string error;
    if (!decodeClipboardItems(snapshot.bytes, work_.signHeight, mode_, items, error)) return false;
    TextFile& file = work_.textFiles[static_cast<size_t>(current_)];
    file.items = std::move(items);
    ensureMarker(file, mode_);
    return true;
}

bool EditorDocument::undo() {
    if (!currentFile() || !history_.canUndo()) return false;
    trackModified(kChangedItems, [&] { restore(*history_.undo()); });
    return true;
}

bool EditorDocument::redo() {
    if (!currentFile() || !history_.canRedo()) return false;
    trackModified(kChangedItems, [&] { restore(*history_.redo()); });
    return true;
}

int EditorDocument::addListener(Listener listener) {
    int handle = nextHandle_++;
    listeners_.push_back({handle, std::move(listener)});
    return handle;
}

void EditorDocument::removeListener(int handle) {
    std::erase_if(listeners_, [&](const Entry& e) { return e.handle == handle; });
}

void EditorDocument::notify(unsigned changes) {
    // A listener may add or remove listeners while being told.
    std::vector<Entry> copy = listeners_;
    for (const Entry& e : copy)
        if (std::any_of(listeners_.begin(), listeners_.end(),
                        [&](const Entry& l) { return l.handle == e.handle; }))
            e.fn(changes);
}

}  // namespace lumavox
