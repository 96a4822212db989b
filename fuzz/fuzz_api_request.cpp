// Feeds arbitrary requests to the service's API ("METHOD PATH" on the first
// line, the body after it) over a database in memory, and checks that every
// answer is a known status with a JSON body saying why, and that a refused
// request changed nothing in the registry or the queue.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "content/Json.h"
#include "server/Api.h"
#include "server/SqliteStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace lumavox;
    using namespace lumavox::server;
    static std::unique_ptr<SqliteStore> store = [] {
        std::string error;
        auto s = SqliteStore::open(":memory:", error);
        if (!s) std::abort();
        SignRecord door;
        door.name = "door";
        door.link = "tcp:127.0.0.1:5005";
        door.groups = {"hall"};
        if (!s->addSign(door, error)) std::abort();
        return s;
    }();
    static EventHub events;
    static Api api(*store, events,
                   ApiDelivery{[](const SignRecord&) { return SignStatus{}; }, [] {}}, [] {
                       ApiOptions o;
                       o.token = "t";
                       o.maxBodyBytes = 64 << 10;
                       o.previewDir = std::filesystem::temp_directory_path();
                       return o;
                   }());

    std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t eol = text.find('\n');
    std::string_view head = text.substr(0, eol);
    ApiRequest r;
    r.method = std::string(head.substr(0, head.find(' ')));
    r.path = head.find(' ') == std::string_view::npos
                 ? "/"
                 : std::string(head.substr(head.find(' ') + 1));
    r.authorization = "Bearer t";
    if (eol != std::string_view::npos) r.body = std::string(text.substr(eol + 1));
    if (r.path.find("preview") != std::string::npos) return 0;  // rendering is fuzzed apart

    const size_t signsBefore = store->signs().size();
    const size_t jobsBefore = store->jobs("", 100000).size();
    ApiResponse a = api.handle(r);
    switch (a.status) {
        case 200:
        case 201:
        case 202:
        case 204:
        case 400:
        case 401:
        case 404:
        case 405:
        case 409:
        case 413:
            break;
        default:
            std::abort();
    }
    if (a.status >= 400) {
        JsonValue v;
        std::string error;
        if (!parseJson(a.body, v, error) || !v.find("error") || v.find("error")->text.empty())
            std::abort();
        if (store->signs().size() != signsBefore || store->jobs("", 100000).size() != jobsBefore)
            std::abort();
    }
    // The registry keeps the one sign the requests are aimed at.
    if (r.method == "DELETE" && store->signs().empty()) {
        SignRecord door;
        door.name = "door";
        door.link = "tcp:127.0.0.1:5005";
        std::string error;
        store->addSign(door, error);
    }
    return 0;
}
