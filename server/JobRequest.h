// What a client asks the service to deliver, decoded and checked before
// anything is queued: the target (a sign, a group or every sign) and one
// content (a quick message, a document as lumavox-cli build's JSON, a document
// file, a sign command or a read). A refusal names the JSON path of the value
// at fault, and nothing is queued.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "content/Json.h"
#include "server/Store.h"

namespace lumavox::server {

struct JobRequestLimits {
    int64_t defaultExpirySeconds = 24 * 3600;
    int64_t maxExpirySeconds = 30 * 24 * 3600;
};

struct DecodedJobs {
    std::vector<JobRecord> jobs;  // one per target sign, ready to queue
    int status = 0;               // 0, or the HTTP status of the refusal (400, 404)
    std::string error;            // "$.message.speed: must be 1..8"
};

// `signs` is the registry; `nowMs` stamps the jobs.
DecodedJobs decodeJobRequest(const JsonValue& body, const std::vector<SignRecord>& signs,
                             int64_t nowMs, const JobRequestLimits& limits = {});

// A quick message as a one-file document for `sign`, through the same reader
// as lumavox-cli build: false with the path of the refused value
// ("$.message.colour: ...").
bool quickMessageDocument(const JsonValue& message, const SignRecord& sign,
                          std::vector<uint8_t>& document, std::string& error);

// Refuses an object member other than `allowed`, naming the first
// ("$.message.font: unknown key").
bool onlyKeys(const JsonValue& v, const std::string& path,
              std::initializer_list<std::string_view> allowed, std::string& error);
// A quick message to see before it is sent: the sign it is meant for (a
// registered one named by "sign", or a size given by "width", "height",
// "family" and "colourType") and the document the job would carry.
struct PreviewRequest {
    SignRecord sign;
    std::vector<uint8_t> document;
    int status = 0;     // 0, or the HTTP status of the refusal (400, 404)
    std::string error;  // "$.message.colour: ..."
};
PreviewRequest decodePreviewRequest(
    const JsonValue& body,
    const std::function<std::optional<SignRecord>(const std::string&)>& findSign);

// The member `key` of an object, when present, as a whole number in
// low..high; false with "$.key: must be low..high" otherwise.
bool integerField(const JsonValue& object, const char* key, int low, int high, int& out,
                  std::string& error);

// The sign commands and reads a job may name: lumavox-cli's command names,
// and "on", "off" and "clear" for sign-on, sign-off and clear-memory.
const std::vector<std::string>& jobCommandNames();

}  // namespace lumavox::server
