// The undo and redo lists of an editor: serialised snapshots, newest first.
//
// The head of the undo list is always the state on screen; every change adds
// the new state at the head. The list keeps the current state and at most ten
// states before it, so ten changes can be undone; older snapshots are dropped.
// Undo moves the head to the redo list and hands back the snapshot now at the
// head; redo moves it back. A new change empties the redo list.
//
// Snapshots are opaque bytes; each carries a serial number so that an owner can
// tell whether the state on screen is the one it saved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace lumavox {

// How many changes can be undone.
constexpr size_t kUndoSteps = 10;

class UndoHistory {
  public:
    struct Snapshot {
        std::vector<uint8_t> bytes;
        uint64_t serial = 0;
    };

    // Forgets both lists and starts again from `current` as the only state.
    void reset(std::vector<uint8_t> current);
    // A change: `state` becomes the head of the undo list, the oldest snapshot
    // beyond the limit is dropped and the redo list is emptied.
    void record(std::vector<uint8_t> state);

    // A change that joins the last one (one more character of a typed run):
    // `state` replaces the current state under a new serial number, so the
    // step undoes both; the redo list is emptied.
    void recordJoined(std::vector<uint8_t> state);

    // Replaces the bytes of the current state, keeping its serial number: the
    // owner adds to the state on screen what a later step will change.
    void amendCurrent(std::vector<uint8_t> state);

    // Snapshots in the lists (the undo list includes the current state).
    size_t undoSnapshots() const { return undo_.size(); }
    size_t redoSnapshots() const { return redo_.size(); }
    bool canUndo() const { return undo_.size() > 1; }
    bool canRedo() const { return !redo_.empty(); }

    // Moves the head to the redo list; returns the state to restore, or null
    // when there is nothing to undo.
    const Snapshot* undo();
    // Moves the head of the redo list back; returns the state to restore, or
    // null when there is nothing to redo.
    const Snapshot* redo();

    // The current state; null before the first reset.
    const Snapshot* current() const { return undo_.empty() ? nullptr : &undo_.front(); }

  private:
    void pushUndo(Snapshot s);

    std::deque<Snapshot> undo_;  // front = newest
    std::deque<Snapshot> redo_;  // front = next to redo
    uint64_t nextSerial_ = 1;
};

}  // namespace lumavox
