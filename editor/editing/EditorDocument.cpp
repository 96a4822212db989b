#include "editing/EditorDocument.h"

#include <algorithm>
#include <span>
#include <string>
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

// An edit-view snapshot: the length of the current file's clipboard block
// (u32, little-endian), the block, then the dots of the graphics that the
// step stores: per graphic its name (u8 length, bytes), width and height
// (u16 each) and width x height pixels (u32 each).
struct GraphicDots {
    std::string name;
    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<uint32_t> pixels;
};

void putLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> packSnapshot(std::vector<uint8_t> block,
                                  const std::vector<GraphicDots>& dots) {
    std::vector<uint8_t> out;
    putLe(out, static_cast<uint32_t>(block.size()), 4);
    out.insert(out.end(), block.begin(), block.end());
    for (const GraphicDots& d : dots) {
        out.push_back(static_cast<uint8_t>(d.name.size()));
        out.insert(out.end(), d.name.begin(), d.name.end());
        putLe(out, d.width, 2);
        putLe(out, d.height, 2);
        for (uint32_t p : d.pixels)
            putLe(out, p, 4);
    }
    return out;
}

// The snapshots are made by packSnapshot alone; a short one is refused whole.
bool unpackSnapshot(std::span<const uint8_t> bytes, std::vector<uint8_t>& block,
                    std::vector<GraphicDots>& dots) {
    size_t at = 0;
    auto get = [&](int n, uint32_t& v) {
        if (bytes.size() - at < static_cast<size_t>(n)) return false;
        v = 0;
        for (int i = 0; i < n; ++i)
            v |= static_cast<uint32_t>(bytes[at++]) << (8 * i);
        return true;
    };
    uint32_t length = 0;
    if (!get(4, length) || bytes.size() - at < length) return false;
    block.assign(bytes.begin() + at, bytes.begin() + at + length);
    at += length;
    dots.clear();
    while (at < bytes.size()) {
        GraphicDots d;
        uint32_t nameLength = 0, w = 0, h = 0;
        if (!get(1, nameLength) || bytes.size() - at < nameLength) return false;
        d.name.assign(bytes.begin() + at, bytes.begin() + at + nameLength);
        at += nameLength;
        if (!get(2, w) || !get(2, h)) return false;
        d.width = static_cast<uint16_t>(w);
        d.height = static_cast<uint16_t>(h);
        size_t count = static_cast<size_t>(w) * h;
        if ((bytes.size() - at) / 4 < count) return false;
        d.pixels.resize(count);
        for (uint32_t& p : d.pixels)
            get(4, p);
        dots.push_back(std::move(d));
    }
    return true;
}

// Whether two snapshots hold the same items (graphic dots aside).
bool sameItems(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    auto items = [](std::span<const uint8_t> s) {
        if (s.size() < 4) return s;
        uint32_t length = s[0] | s[1] << 8 | s[2] << 16 | static_cast<uint32_t>(s[3]) << 24;
        return s.subspan(0, std::min<size_t>(s.size(), size_t{4} + length));
    };
    return std::ranges::equal(items(a), items(b));
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
    return packSnapshot(f ? encodeClipboardItems(f->items) : std::vector<uint8_t>{}, {});
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

bool EditorDocument::changeCurrent(const std::function<bool(TextFile&)>& change, bool joinLast) {
    if (!currentFile()) return false;
    TextFile& file = work_.textFiles[static_cast<size_t>(current_)];
    std::optional<CharItem> marker;
    if (!file.items.empty() && file.items.back().isChar()) marker = file.items.back().ch();
    if (!change(file)) return false;
    ensureMarker(file, mode_, marker ? &*marker : nullptr);
    std::vector<uint8_t> state = snapshotOfCurrent();
    if (history_.current() && sameItems(history_.current()->bytes, state)) return false;
    trackModified(kChangedItems, [&] {
        if (joinLast && history_.canUndo())
            history_.recordJoined(std::move(state));
        else
            history_.record(std::move(state));
    });
    return true;
}

bool EditorDocument::changeWorkArea(const std::function<bool(WorkArea&)>& change, bool joinLast) {
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
        if (!history_.current() || !sameItems(history_.current()->bytes, state)) {
            if (joinLast && history_.canUndo())
                history_.recordJoined(std::move(state));
            else
                history_.record(std::move(state));
            changes |= kChangedItems;
        }
    }();
    if (modified() != wasModified) changes |= kChangedModified;
    notify(changes);
    return true;
}

bool EditorDocument::changeGraphic(const GraphicFile& edited) {
    GraphicFile* g = work_.findGraphic(edited.name.str());
    if (!g || !currentFile() || !history_.current() || g->width != edited.width ||
        g->height != edited.height || g->pixels.size() != edited.pixels.size() ||
        g->pixels == edited.pixels)
        return false;
    trackModified(kChangedFiles, [&] {
        // The state on screen learns the old dots, so undo brings them back;
        // the new step carries the new ones for redo.
        std::vector<uint8_t> items;
        std::vector<GraphicDots> dots;
        unpackSnapshot(history_.current()->bytes, items, dots);
        std::erase_if(dots, [&](const GraphicDots& d) { return sameName(d.name, g->name.str()); });
        dots.push_back({g->name.str(), g->width, g->height, g->pixels});
        history_.amendCurrent(packSnapshot(items, dots));
        g->pixels = edited.pixels;
        history_.record(
            packSnapshot(std::move(items), {{g->name.str(), g->width, g->height, g->pixels}}));
    });
    return true;
}

bool EditorDocument::restore(const UndoHistory::Snapshot& snapshot) {
    std::vector<uint8_t> block;
    std::vector<GraphicDots> dots;
    std::vector<TextItem> items;
    std::string error;
    if (!unpackSnapshot(snapshot.bytes, block, dots) ||
        !decodeClipboardItems(block, work_.signHeight, mode_, items, error))
        return false;
    TextFile& file = work_.textFiles[static_cast<size_t>(current_)];
    file.items = std::move(items);
    ensureMarker(file, mode_);
    bool graphics = false;
    for (GraphicDots& d : dots) {
        // A graphic renamed, resized or deleted since is left as it is.
        GraphicFile* g = work_.findGraphic(d.name);
        if (!g || g->width != d.width || g->height != d.height ||
            g->pixels.size() != d.pixels.size())
            continue;
        g->pixels = std::move(d.pixels);
        graphics = true;
    }
    return graphics;
}

void EditorDocument::applyStep(const UndoHistory::Snapshot& to) {
    bool before = modified();
    unsigned changes = kChangedItems;
    if (restore(to)) changes |= kChangedFiles;
    if (modified() != before) changes |= kChangedModified;
    notify(changes);
}

bool EditorDocument::undo() {
    if (!currentFile() || !history_.canUndo()) return false;
    applyStep(*history_.undo());
    return true;
}

bool EditorDocument::redo() {
    if (!currentFile() || !history_.canRedo()) return false;
    applyStep(*history_.redo());
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
