// One open document: its work area, the text file being edited, the modified
// flag, the undo history of the edit view and change notification.
//
// Every change of the work area goes through this object, so that the undo
// history, the modified flag and the views stay in step. A change of the
// current text file's items is one undo step; the snapshot is the file's items
// in the stored form of the clipboard block (item count, version 1202, items).
// A graphic stored back from the graphic editor is one undo step too: its
// snapshot carries the graphic's dots, and the state before it carries the
// old dots. Other changes of the work area (file lists, names, schedule)
// cannot be undone and keep the document modified until it is saved.
//
// Opening and saving go through the document layer: a failed open changes
// nothing, a save replaces the file atomically.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "content/Document.h"
#include "content/Model.h"
#include "editing/UndoHistory.h"
#include "platform/Clock.h"

namespace lumavox {

// What a change notification is about (a bit set).
enum DocumentChange : unsigned {
    kChangedItems = 1u << 0,        // the current text file's items
    kChangedFiles = 1u << 1,        // other parts of the work area (lists, names, sizes)
    kChangedCurrentFile = 1u << 2,  // another text file became the current one
    kChangedModified = 1u << 3,     // the modified flag changed
    kChangedPath = 1u << 4,         // the document's file name changed (open, save as)
    kChangedAll = 0x1Fu,
};

class EditorDocument {
  public:
    using Listener = std::function<void(unsigned changes)>;

    // A new, empty document: the default work area of a new document with no
    // text file yet (use adopt() or open()). The sign family and the clock are
    // the program's; the document keeps references to neither beyond the clock.
    EditorDocument(SignMode mode, const Clock& clock);
    EditorDocument(const EditorDocument&) = delete;
    EditorDocument& operator=(const EditorDocument&) = delete;

    SignMode mode() const { return mode_; }
    const Clock& clock() const { return clock_; }

    // ---- The whole document ----

    // Takes a work area made elsewhere (a new document, a read-back) as the
    // document's content, not yet saved under any name; the first text file
    // becomes current. The document counts as modified when `modified` is set.
    void adopt(WorkArea work, bool modified = false);
    // Opens a document file. On failure nothing changes and `error` holds the
    // one message to show; `warnings` receives the information shown while the
    // open went on (a family mismatch).
    bool open(const std::filesystem::path& path, const OpenOptions& options, std::string& error,
              std::vector<std::string>* warnings = nullptr);
    // Saves under `path` (atomically) and makes it the document's name. The
    // stamps of all text and graphic files become now. Clears the modified flag.
    bool saveAs(const std::filesystem::path& path, std::string& error);
    // Saves under the document's name; fails with an empty error when it has
    // none (the caller asks for a name and uses saveAs).
    bool save(std::string& error);

    const std::filesystem::path& path() const { return path_; }
    bool modified() const;

    const WorkArea& work() const { return work_; }

    // ---- The current text file ----

    // Index into work().textFiles, or -1 when the work area has no file at all.
    int currentIndex() const { return current_; }
    const TextFile* currentFile() const;
    // Makes another file (text or window file) current; its undo history
    // starts afresh. False for an index out of range.
    bool setCurrentFile(int index);
    bool setCurrentFile(std::string_view name);

    // ---- Changes ----

    // Changes the current text file's items: `change` returns true when it
    // changed something. The file must still end with its end-of-text marker
    // (a CR character); a change that removes it gets the marker back with the
    // attributes of the removed one. One undo step; listeners hear
    // kChangedItems. False (and nothing recorded) when there is no current file
    // or `change` returned false.
    // With `joinLast` the change joins the last step instead of adding one
    // (the characters of one typed run undo together).
    bool changeCurrent(const std::function<bool(TextFile&)>& change, bool joinLast = false);
    // Changes anything in the work area (the editing rules of content/EditRules.h
    // work on it this way): `change` returns true when it changed something.
    // The current file is found again by name afterwards (by position when it
    // was renamed); when it is gone the first text file becomes current. If
    // the current file's items changed, that is recorded as an undo step too
    // (with `joinLast`, joining the last step as changeCurrent does).
    bool changeWorkArea(const std::function<bool(WorkArea&)>& change, bool joinLast = false);

    // Replaces the dots of the graphic of the same name and size with
    // `edited`'s, as one undo step of the edit view (undo brings the old dots
    // back). Listeners hear kChangedFiles. False when there is no such graphic
    // or nothing changed.
    bool changeGraphic(const GraphicFile& edited);

    // ---- Undo and redo of the current text file ----

    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    size_t undoSnapshots() const { return history_.undoSnapshots(); }
    size_t redoSnapshots() const { return history_.redoSnapshots(); }
    // The serial number of the state on screen: it changes with every change,
    // undo and redo, so an owner can tell whether anything happened since.
    uint64_t stateSerial() const { return history_.current() ? history_.current()->serial : 0; }
    bool undo();
    bool redo();

    // ---- Notification ----

    // Returns a handle for removeListener.
    int addListener(Listener listener);
    void removeListener(int handle);

  private:
    std::vector<uint8_t> snapshotOfCurrent() const;
    // Restores the items (and any graphic dots) of `snapshot`; true when it
    // carried graphic dots.
    bool restore(const UndoHistory::Snapshot& snapshot);
    // Restores `to` after an undo or redo and tells the listeners.
    void applyStep(const UndoHistory::Snapshot& to);
    void restartHistory();
    void notify(unsigned changes);
    // Runs `fn` and notifies kChangedModified when the flag changed.
    template <typename Fn>
    void trackModified(unsigned changes, Fn fn);

    SignMode mode_;
    const Clock& clock_;
    WorkArea work_;
    std::filesystem::path path_;
    int current_ = -1;
    UndoHistory history_;
    uint64_t savedSerial_ = 0;   // serial of the current file's state when last saved
    bool unsavedOther_ = false;  // changes that undo cannot take back
    struct Entry {
        int handle;
        Listener fn;
    };
    std::vector<Entry> listeners_;
    int nextHandle_ = 1;
};

}  // namespace lumavox
