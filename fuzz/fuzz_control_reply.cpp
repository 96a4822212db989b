// Reply judgement of the scriptable sign control, and the virtual sign's parser
// of the control's command language, on arbitrary bytes from the line.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ControlProtocol.h"
#include "NvsEngine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view reply(reinterpret_cast<const char*>(data), size);
    auto j = lumavox::nvs::judgeReply(reply);
    if (j.verdict != lumavox::nvs::Verdict::Undecided && j.text.empty()) __builtin_trap();
    if (reply.find("\r\n") == std::string_view::npos &&
        j.verdict != lumavox::nvs::Verdict::Undecided)
        __builtin_trap();
    lumavox::sim::SimOptions options;
    options.addresses = {1, 2};
    lumavox::sim::ConversationLog log;
    lumavox::sim::NvsEngine sign(options, log);
    sign.feed(std::span<const uint8_t>(data, size), 0);
    (void)sign.takeOutput(0);
    return 0;
}
