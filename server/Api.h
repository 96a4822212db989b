// The HTTP API's decisions, apart from the HTTP library: a request (method,
// path, query, the Authorization header, the body) in, a response (status,
// type, body) out. The server hands every request here; the fuzz target and
// the tests call it directly. Nothing a request says can crash the service or
// leave a half-made change: bodies are bounded, JSON is checked before any
// write, and every write is one transaction.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "operations/Settings.h"
#include "server/Events.h"
#include "server/Store.h"
#include "server/Views.h"

namespace lumavox::server {

struct ApiRequest {
    std::string method;
    std::string path;  // without the query
    std::map<std::string, std::string> query;
    std::string authorization;  // the header's value
    std::string body;
    std::string ifNoneMatch;  // the header's value: the page's file the browser holds
};

struct ApiResponse {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers = {};  // besides the type
};

struct ApiOptions {
    std::string token;
    size_t maxBodyBytes = size_t{8} << 20;
    std::filesystem::path programDir;  // font files, for previews
    std::filesystem::path previewDir;  // rendered previews are kept here
    std::string defaultFontName = "SS7";
    int gprsPort = 0;
    // The editor's stored settings and its new-document size, for the import
    // of its groups; unset: the import is refused.
    std::function<void(Settings&, DefaultSignSize&)> storedSettings;
    // The fleet page's files by name ("index.html"), served under "/" without
    // the token: the page asks for it and sends it with every API call.
    std::map<std::string, std::string_view> webFiles = {};
};

// What the API needs from delivery: the sign's state beyond the registry, and
// a nudge when jobs were queued.
struct ApiDelivery {
    std::function<SignStatus(const SignRecord&)> status;
    std::function<void()> wake;
};

class Api {
  public:
    Api(Store& store, EventHub& events, ApiDelivery delivery, ApiOptions options);

    ApiResponse handle(const ApiRequest& request);
    // The Authorization header carries the token (compared in constant time).
    bool authorised(const std::string& authorization) const;

    static const char* openApiDocument();

  private:
    ApiResponse api(const ApiRequest& r);
    ApiResponse messageOptions();
    ApiResponse signs(const ApiRequest& r, const std::string& rest);
    ApiResponse jobs(const ApiRequest& r, const std::string& rest);
    ApiResponse addSign(const ApiRequest& r);
    ApiResponse addJobs(const ApiRequest& r);
    ApiResponse preview(const std::string& name);
    ApiResponse importGroups(const ApiRequest& r);
    ApiResponse messagePreview(const ApiRequest& r);
    ApiResponse webFile(const ApiRequest& r);
    // The document played as the preview plays it, as an animated GIF.
    bool renderGif(const std::vector<uint8_t>& document, const std::string& family,
                   const std::filesystem::path& gif, std::string& error);

    Store& store_;
    EventHub& events_;
    ApiDelivery delivery_;
    ApiOptions options_;
};

// The Content-Type of a page file by its name's ending.
std::string webContentType(const std::string& name);

// {"error": text} with that status.
ApiResponse errorResponse(int status, const std::string& text);
// The sign fields a client may send, checked; false with the path at fault.
bool decodeSign(const std::string& body, SignRecord& sign, std::string& error);

}  // namespace lumavox::server
