#include "editing/UndoHistory.h"

#include <utility>

namespace lumavox {

void UndoHistory::reset(std::vector<uint8_t> current) {
    undo_.clear();
    redo_.clear();
    undo_.push_front({std::move(current), nextSerial_++});
}

void UndoHistory::pushUndo(Snapshot s) {
    undo_.push_front(std::move(s));
    // The current state plus kUndoSteps states to go back to.
    while (undo_.size() > kUndoSteps + 1)
        undo_.pop_back();
}

void UndoHistory::record(std::vector<uint8_t> state) {
    redo_.clear();
    pushUndo({std::move(state), nextSerial_++});
}

void UndoHistory::recordJoined(std::vector<uint8_t> state) {
    if (undo_.empty()) {
        reset(std::move(state));
        return;
    }
    redo_.clear();
    undo_.front() = {std::move(state), nextSerial_++};
}

void UndoHistory::amendCurrent(std::vector<uint8_t> state) {
    if (undo_.empty())
        reset(std::move(state));
    else
        undo_.front().bytes = std::move(state);
}

const UndoHistory::Snapshot* UndoHistory::undo() {
    if (!canUndo()) return nullptr;
    redo_.push_front(std::move(undo_.front()));
    undo_.pop_front();
    return &undo_.front();
}

const UndoHistory::Snapshot* UndoHistory::redo() {
    if (!canRedo()) return nullptr;
    Snapshot s = std::move(redo_.front());
    redo_.pop_front();
    pushUndo(std::move(s));
    return &undo_.front();
}

}  // namespace lumavox
