#include "protocol/ReplyScanner.h"

#include <algorithm>

#include "protocol/Frame.h"
#include "strings/StringTable.h"

namespace lumavox {

size_t ReplyScanner::append(std::span<const uint8_t> bytes) {
    size_t n = std::min(bytes.size(), kCapacity - std::min(kCapacity, buffer_.size()));
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(n));
    return n;
}

ReplyScanner::Step ReplyScanner::scan() {
    FrameScanResult r = scanFrame(buffer_);
    switch (r.status) {
        case FrameScan::NeedMore:
            return Step::NeedMore;
        case FrameScan::BadType:
            failure_ = msg::kFrameTypeError;
            return Step::Failed;
        case FrameScan::BadLength:
            failure_ = msg::kFrameLengthError;
            return Step::Failed;
        case FrameScan::BadChecksum:
            failure_ = msg::kFrameChecksumError;
            return Step::Failed;
        case FrameScan::Frame:
            break;
    }
    FrameFields f =
        frameFields(std::span<const uint8_t>(buffer_).subspan(r.start, r.end - r.start));
    Step step = Step::Repeat;
    if (f.sequence == expected_) {
        data_.assign(f.data.begin(), f.data.end());
        ++expected_;
        step = Step::Accepted;
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<ptrdiff_t>(r.end));
    return step;
}

}  // namespace lumavox
