// Texts of the send session that the sign family's own table lacks (English
// only): what a stopped send all leaves on a sign it cleared.
#pragma once

namespace lumavox::msg {
enum : int {
    kSendAllClearedReached = 33372,  // address, the files that reached the sign
    kSendAllClearedNothing = 33373,  // address
};
}  // namespace lumavox::msg
