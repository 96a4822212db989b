#include "server/Api.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <sstream>

#include "content/Document.h"
#include "content/Json.h"
#include "content/Vocabulary.h"
#include "operations/GprsRoute.h"
#include "operations/Operations.h"
#include "platform/Files.h"
#include "render/preview/PreviewExport.h"
#include "server/Import.h"
#include "server/JobRequest.h"

namespace lumavox::server {

namespace {

using Type = JsonValue::Type;

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

ApiResponse json(int status, const std::function<void(JsonWriter&)>& write) {
    std::ostringstream out;
    JsonWriter w(out);
    write(w);
    w.finish();
    return ApiResponse{status, "application/json", out.str()};
}

// The path of the first string holding a character above U+00FF, other than
// the quick message's text; false when there is none.
bool firstWideString(const JsonValue& v, const std::string& path, std::string& at) {
    if (v.isString() && !v.wide.empty() && path != "$.message.text") {
        at = path;
        return true;
    }
    for (size_t i = 0; i < v.elements.size(); ++i)
        if (firstWideString(v.elements[i], path + "[" + std::to_string(i) + "]", at)) return true;
    for (const auto& [key, member] : v.members)
        if (firstWideString(member, path + "." + key, at)) return true;
    return false;
}

bool parseBody(const ApiRequest& r, size_t limit, JsonValue& out, ApiResponse& refusal) {
    if (r.body.size() > limit) {
        refusal = errorResponse(413, "the body is larger than " + std::to_string(limit) + " bytes");
        return false;
    }
    std::string error;
    JsonLimits limits;
    limits.maxBytes = limit;
    limits.maxDepth = 32;
    limits.wideText = true;
    if (!parseJson(r.body, out, error, limits)) {
        refusal = errorResponse(400, "$: not JSON: " + error);
        return false;
    }
    // Only a quick message's text may hold characters beyond single bytes: the
    // sign's fonts lack them and they are drawn as graphics.
    std::string wideAt;
    if (firstWideString(out, "$", wideAt)) {
        refusal = errorResponse(
            400, wideAt + ": characters above U+00FF cannot be held in single-byte text");
        return false;
    }
    return true;
}

bool validName(const std::string& n) {
    return !n.empty() && n.size() <= 64 && n[0] != '.' &&
           std::all_of(n.begin(), n.end(), [](unsigned char c) {
               return std::isalnum(c) || c == '-' || c == '_' || c == '.';
           });
}

}  // namespace

ApiResponse errorResponse(int status, const std::string& text) {
    return json(status, [&](JsonWriter& w) { w.beginObject().field("error", text).endObject(); });
}

bool decodeSign(const std::string& body, SignRecord& sign, std::string& error) {
    JsonValue v;
    if (!parseJson(body, v, error)) return (error = "$: not JSON: " + error, false);
    if (!v.isObject()) return (error = "$: must be an object", false);
    if (!onlyKeys(v, "$",
                  {"name", "link", "address", "family", "width", "height", "colourType", "groups"},
                  error))
        return false;
    SignRecord s;
    const JsonValue* name = v.find("name");
    if (!name || !name->isString() || !validName(name->text))
        return (
            error = "$.name: must be 1-64 letters, digits, '-', '_' or '.', not starting with '.'",
            false);
    s.name = name->text;
    const JsonValue* link = v.find("link");
    if (!link || !link->isString())
        return (error = "$.link: must be a link such as tcp:HOST:PORT", false);
    LinkOverride parsed;
    std::string linkError;
    if (!parseLinkText(link->text, Settings{}, parsed, linkError))
        return (error = "$.link: " + linkError, false);
    if (link->text.rfind("gprs:", 0) == 0 && parsed.devices.size() != 1)
        return (error = "$.link: gprs:DEVICE names one device", false);
    // A device name its registration record cannot carry never registers.
    if (link->text.rfind("gprs:", 0) == 0)
        if (int refusal = checkGprsDeviceName(GprsGroup{}, parsed.devices.front()))
            return (error = "$.link: " + gprsRefusalText(refusal, parsed.devices.front()), false);
    if (link->text.rfind("tcp:", 0) == 0 && parsed.hosts.find(',') != std::string::npos)
        return (error = "$.link: tcp:HOST:PORT names one host", false);
    s.link = link->text;
    if (!integerField(v, "address", 0, 255, s.address, error) ||
        !integerField(v, "width", 1, 4096, s.width, error) ||
        !integerField(v, "height", 1, 4096, s.height, error) ||
        !integerField(v, "colourType", 0, 1, s.colourType, error))
        return false;
    std::string size = checkNewSignSize(s.width, s.height);
    if (!size.empty()) return (error = "$.width: " + size, false);
    if (const JsonValue* f = v.find("family")) {
        if (!f->isString() || (f->text != "KV2" && f->text != "NVS"))
            return (error = "$.family: must be \"KV2\" or \"NVS\"", false);
        s.family = f->text;
    }
    if (const JsonValue* g = v.find("groups")) {
        if (!g->isArray()) return (error = "$.groups: must be a list of names", false);
        for (size_t i = 0; i < g->elements.size(); ++i) {
            const JsonValue& e = g->elements[i];
            if (!e.isString() || !validName(e.text))
                return (
                    error =
                        "$.groups[" + std::to_string(i) +
                        "]: must be 1-64 letters, digits, '-', '_' or '.', not starting with '.'",
                    false);
            s.groups.push_back(e.text);
        }
    }
    sign = std::move(s);
    return true;
}

Api::Api(Store& store, EventHub& events, ApiDelivery delivery, ApiOptions options)
    : store_(store),
      events_(events),
      delivery_(std::move(delivery)),
      options_(std::move(options)) {}

bool Api::authorised(const std::string& authorization) const {
    const std::string expected = "Bearer " + options_.token;
    // The time taken does not depend on where the texts differ.
    unsigned char diff = authorization.size() == expected.size() ? 0 : 1;
    for (size_t i = 0; i < expected.size(); ++i)
        diff |= static_cast<unsigned char>(expected[i] ^
                                           (i < authorization.size() ? authorization[i] : 0));
    return diff == 0 && !options_.token.empty();
}

ApiResponse Api::handle(const ApiRequest& r) {
    if (r.path == "/healthz") {
        if (r.method != "GET") return errorResponse(405, "use GET");
        return json(200, [](JsonWriter& w) { w.beginObject().field("status", "ok").endObject(); });
    }
    if (r.path.rfind("/api/", 0) != 0) return webFile(r);
    ApiResponse a = api(r);
    // Answers change with every delivery: a browser never shows a stored one.
    a.headers.emplace_back("Cache-Control", "no-store");
    return a;
}

ApiResponse Api::api(const ApiRequest& r) {
    const std::string prefix = "/api/v1/";
    if (r.path.rfind(prefix, 0) != 0) return errorResponse(404, "no such resource: " + r.path);
    if (!authorised(r.authorization))
        return errorResponse(401, "the request needs the header Authorization: Bearer TOKEN");
    const std::string rest = r.path.substr(prefix.size());
    if (rest == "openapi.json") {
        if (r.method != "GET") return errorResponse(405, "use GET");
        return ApiResponse{200, "application/json", openApiDocument()};
    }
    if (rest == "signs" || rest.rfind("signs/", 0) == 0) return signs(r, rest.substr(5));
    if (rest == "jobs" || rest.rfind("jobs/", 0) == 0) return jobs(r, rest.substr(4));
    if (rest == "import") return importGroups(r);
    if (rest == "preview") return messagePreview(r);
    if (rest == "message-options") {
        if (r.method != "GET") return errorResponse(405, "use GET");
        return messageOptions();
    }
    return errorResponse(404, "no such resource: " + r.path);
}

ApiResponse Api::signs(const ApiRequest& r, const std::string& rest) {
    if (rest.empty()) {
        if (r.method == "POST") return addSign(r);
        if (r.method != "GET") return errorResponse(405, "use GET or POST");
        std::vector<SignRecord> all = store_.signs();
        const SignActivities activity = store_.activity();
        return json(200, [&](JsonWriter& w) {
            w.beginObject().key("signs").beginArray();
            for (const SignRecord& s : all) {
                auto a = activity.find(s.name);
                writeSign(w, s, delivery_.status(s), a == activity.end() ? nullptr : &a->second);
            }
            w.endArray().endObject();
        });
    }
    std::string name = rest.substr(1);
    bool wantsPreview = false;
    if (size_t slash = name.find('/'); slash != std::string::npos) {
        if (name.substr(slash) != "/preview.gif")
            return errorResponse(404, "no such resource: " + r.path);
        name.resize(slash);
        wantsPreview = true;
    }
    std::optional<SignRecord> sign = validName(name) ? store_.sign(name) : std::nullopt;
    if (!sign) return errorResponse(404, "no sign is named " + name);
    if (wantsPreview) {
        if (r.method != "GET") return errorResponse(405, "use GET");
        return preview(sign->name);
    }
    if (r.method == "GET") {
        const SignActivities activity = store_.activity(sign->name);
        auto a = activity.find(sign->name);
        return json(200, [&](JsonWriter& w) {
            writeSign(w, *sign, delivery_.status(*sign),
                      a == activity.end() ? nullptr : &a->second);
        });
    }
    if (r.method == "DELETE") {
        if (!store_.removeSign(sign->name, nowMs()))
            return errorResponse(500, "the sign could not be removed");
        events_.publish("sign", signEvent(sign->name, "removed"));
        return ApiResponse{204, "application/json", ""};
    }
    return errorResponse(405, "use GET or DELETE");
}

ApiResponse Api::addSign(const ApiRequest& r) {
    if (r.body.size() > options_.maxBodyBytes)
        return errorResponse(
            413, "the body is larger than " + std::to_string(options_.maxBodyBytes) + " bytes");
    SignRecord s;
    std::string error;
    if (!decodeSign(r.body, s, error)) return errorResponse(400, error);
    s.createdAt = nowMs() / 1000;
    if (!store_.addSign(s, error)) return errorResponse(409, error);
    events_.publish("sign", signEvent(s.name, "added", delivery_.status(s)));
    return json(201, [&](JsonWriter& w) { writeSign(w, s, delivery_.status(s)); });
}

ApiResponse Api::jobs(const ApiRequest& r, const std::string& rest) {
    if (rest.empty()) {
        if (r.method == "POST") return addJobs(r);
        if (r.method != "GET") return errorResponse(405, "use GET or POST");
        std::string sign;
        if (auto it = r.query.find("sign"); it != r.query.end()) sign = it->second;
        int limit = 200;
        if (auto it = r.query.find("limit"); it != r.query.end()) {
            char* end = nullptr;
            long n = std::strtol(it->second.c_str(), &end, 10);
            if (it->second.empty() || *end || n < 1 || n > 10000)
                return errorResponse(400, "limit: must be 1..10000");
            limit = static_cast<int>(n);
        }
        if (!sign.empty() && !store_.sign(sign))
            return errorResponse(404, "no sign is named " + sign);
        std::vector<JobRecord> list = store_.jobs(sign, limit);
        return json(200, [&](JsonWriter& w) {
            w.beginObject().key("jobs").beginArray();
            for (const JobRecord& j : list)
                writeJob(w, j);
            w.endArray().endObject();
        });
    }
    const std::string digits = rest.substr(1);
    int64_t id = 0;
    if (digits.empty() || digits.size() > 18 ||
        !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
        return errorResponse(404, "no such job: " + digits);
    id = std::stoll(digits);
    if (r.method == "GET") {
        std::optional<JobRecord> j = store_.job(id);
        if (!j) return errorResponse(404, "no such job: " + digits);
        return json(200, [&](JsonWriter& w) { writeJob(w, *j); });
    }
    if (r.method == "DELETE") {
        std::optional<JobState> state;
        if (store_.cancelJob(id, nowMs(), state)) {
            if (std::optional<JobRecord> j = store_.job(id)) events_.publish("job", jobEvent(*j));
            return json(200, [&](JsonWriter& w) {
                w.beginObject().field("id", id).field("state", "cancelled").endObject();
            });
        }
        if (!state) return errorResponse(404, "no such job: " + digits);
        return errorResponse(409, std::string("the job is ") + jobStateName(*state) +
                                      "; only a queued job can be cancelled");
    }
    return errorResponse(405, "use GET or DELETE");
}

ApiResponse Api::addJobs(const ApiRequest& r) {
    JsonValue body;
    ApiResponse refusal;
    if (!parseBody(r, options_.maxBodyBytes, body, refusal)) return refusal;
    DecodedJobs decoded = decodeJobRequest(body, store_.signs(), nowMs());
    if (decoded.status) return errorResponse(decoded.status, decoded.error);
    std::string error;
    if (!store_.addJobs(decoded.jobs, error)) return errorResponse(500, error);
    for (const JobRecord& j : decoded.jobs)
        events_.publish("job", jobEvent(j));
    if (delivery_.wake) delivery_.wake();
    return json(202, [&](JsonWriter& w) {
        w.beginObject().field("id", decoded.jobs.front().id).key("ids").beginArray();
        for (const JobRecord& j : decoded.jobs)
            w.value(j.id);
        w.endArray().endObject();
    });
}

bool Api::renderGif(const std::vector<uint8_t>& document, const std::string& family,
                    const std::filesystem::path& gif, std::string& error) {
    OpenOptions open;
    open.mode = family == "NVS" ? SignMode::NVS : SignMode::KV2;
    OpenResult doc = readDocument(document, open);
    if (!doc.ok) return (error = doc.error, false);
    PreviewExportRequest request;
    request.programDir = options_.programDir;
    request.mode = open.mode;
    request.dot = 2;
    request.defaultFontName = options_.defaultFontName;
    request.now = SystemClock::instance().localNow();
    PreviewExportResult result;
    std::error_code ec;
    std::filesystem::create_directories(options_.previewDir, ec);
    return exportPreviewGif(doc.work, request, gif, result, error, nullptr);
}

ApiResponse Api::preview(const std::string& name) {
    std::optional<ShownDocument> shown = store_.shown(name);
    if (!shown) return errorResponse(404, "nothing has been delivered to " + name + " yet");
    const std::filesystem::path gif =
        options_.previewDir / (name + "-" + std::to_string(shown->jobId) + ".gif");
    std::vector<uint8_t> bytes;
    std::string error;
    if (!readWholeFile(gif, size_t{64} << 20, bytes, error)) {
        std::optional<SignRecord> sign = store_.sign(name);
        if (!renderGif(shown->document, sign ? sign->family : "KV2", gif, error) ||
            !readWholeFile(gif, size_t{64} << 20, bytes, error))
            return errorResponse(500, error);
    }
    return ApiResponse{200, "image/gif", std::string(bytes.begin(), bytes.end())};
}

ApiResponse Api::importGroups(const ApiRequest& r) {
    if (r.method != "POST") return errorResponse(405, "use POST");
    if (!options_.storedSettings) return errorResponse(404, "no stored settings to import");
    Settings settings;
    DefaultSignSize size;
    options_.storedSettings(settings, size);
    ImportedSigns imported = signsFromStoredGroups(settings, size, store_.signs(), nowMs() / 1000);
    std::string error;
    if (!imported.signs.empty() && !store_.putSigns(imported.signs, error))
        return errorResponse(500, error);
    for (const SignRecord& s : imported.signs)
        events_.publish("sign", signEvent(s.name, "imported", delivery_.status(s)));
    return json(200, [&](JsonWriter& w) {
        w.beginObject().key("signs").beginArray();
        for (const SignRecord& s : imported.signs)
            writeSign(w, s, delivery_.status(s));
        w.endArray().key("skipped").beginArray();
        for (const std::string& s : imported.skipped)
            w.value(std::string_view(s));
        w.endArray().endObject();
    });
}

ApiResponse Api::messagePreview(const ApiRequest& r) {
    if (r.method != "POST") return errorResponse(405, "use POST");
    JsonValue body;
    ApiResponse refusal;
    if (!parseBody(r, options_.maxBodyBytes, body, refusal)) return refusal;
    PreviewRequest decoded =
        decodePreviewRequest(body, [this](const std::string& name) { return store_.sign(name); });
    if (decoded.status) return errorResponse(decoded.status, decoded.error);
    // Each request renders into a file of its own, removed once read.
    static std::atomic<uint64_t> counter{0};
    const std::filesystem::path gif =
        options_.previewDir /
        (".message-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".gif");
    std::vector<uint8_t> bytes;
    std::string error;
    const bool ok = renderGif(decoded.document, decoded.sign.family, gif, error) &&
                    readWholeFile(gif, size_t{64} << 20, bytes, error);
    std::error_code ec;
    std::filesystem::remove(gif, ec);
    if (!ok) return errorResponse(500, error);
    return ApiResponse{200, "image/gif", std::string(bytes.begin(), bytes.end())};
}

ApiResponse Api::messageOptions() {
    return json(200, [](JsonWriter& w) {
        w.beginObject().key("families").beginObject();
        for (SignMode mode : {SignMode::KV2, SignMode::NVS}) {
            w.key(mode == SignMode::NVS ? "NVS" : "KV2").beginObject();
            w.key("colours").beginArray();
            for (std::string_view c : colourNames(mode))
                w.value(c);
            w.endArray().key("effects").beginArray();
            for (std::string_view e : moveMethodNames(mode))
                w.value(e);
            w.endArray().endObject();
        }
        w.endObject().key("speeds").beginObject().field("minimum", 1).field("maximum", 8);
        w.endObject().key("commands").beginArray();
        for (const std::string& c : jobCommandNames())
            w.value(std::string_view(c));
        w.endArray().endObject();
    });
}

std::string webContentType(const std::string& name) {
    auto ends = [&name](std::string_view end) {
        return name.size() >= end.size() &&
               name.compare(name.size() - end.size(), end.size(), end.data(), end.size()) == 0;
    };
    if (ends(".html")) return "text/html; charset=utf-8";
    if (ends(".css")) return "text/css; charset=utf-8";
    if (ends(".js")) return "text/javascript; charset=utf-8";
    if (ends(".svg")) return "image/svg+xml";
    if (ends(".png")) return "image/png";
    if (ends(".json")) return "application/json";
    return "application/octet-stream";
}

ApiResponse Api::webFile(const ApiRequest& r) {
    const std::string name = r.path == "/" ? "index.html" : r.path.substr(1);
    auto it = options_.webFiles.find(name);
    if (it == options_.webFiles.end()) return errorResponse(404, "no such resource: " + r.path);
    if (r.method != "GET" && r.method != "HEAD") return errorResponse(405, "use GET");
    // The tag is the content's hash: a browser asks again each time (no-cache)
    // and gets 304 while the program's copy is the one it holds.
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : it->second)
        hash = (hash ^ c) * 1099511628211ull;
    char tag[24];
    std::snprintf(tag, sizeof tag, "\"%016llx\"", static_cast<unsigned long long>(hash));
    ApiResponse a{200, webContentType(name), std::string(it->second)};
    if (r.ifNoneMatch == tag) {
        a.status = 304;
        a.body.clear();
    }
    a.headers = {
        {"Cache-Control", "no-cache"},
        {"ETag", tag},
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "no-referrer"},
        // The page runs only its own files and talks only to this service.
        {"Content-Security-Policy",
         "default-src 'self'; img-src 'self' blob:; connect-src 'self'; script-src 'self'; "
         "style-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'none'"},
    };
    return a;
}

}  // namespace lumavox::server
