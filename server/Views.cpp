#include "server/Views.h"

#include <sstream>

namespace lumavox::server {

namespace {

// The pretty writer's line breaks removed: an event's data is one line.
std::string oneLine(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    bool lineStart = false;
    for (char c : text) {
        if (c == '\n') {
            lineStart = true;
            continue;
        }
        if (lineStart && c == ' ') continue;
        lineStart = false;
        out.push_back(c);
    }
    return out;
}

// A job in a line: enough for a row of the fleet.
void writeJobBrief(JsonWriter& w, const JobRecord& j) {
    w.beginObject().field("id", j.id).field("kind", j.kind).field("summary", j.summary);
    w.field("state", std::string(jobStateName(j.state))).field("attempts", j.attempts);
    w.field("updatedAt", j.updatedAt).endObject();
}

}  // namespace

void writeSign(JsonWriter& w, const SignRecord& s, const SignStatus& status,
               const SignActivity* activity) {
    w.beginObject();
    w.field("name", s.name).field("link", s.link).field("address", s.address);
    w.field("family", s.family).field("width", s.width).field("height", s.height);
    w.field("colourType", s.colourType);
    w.key("groups").beginArray();
    for (const std::string& g : s.groups)
        w.value(std::string_view(g));
    w.endArray();
    w.field("createdAt", s.createdAt);
    if (status.gprs) {
        w.field("connected", status.connected);
        if (status.connected) w.field("connectedSince", status.connectedSinceMs);
    }
    if (status.lastSeenMs) w.field("lastSeen", status.lastSeenMs);
    if (activity) {
        if (activity->waiting) writeJobBrief(w.key("waitingJob"), *activity->waiting);
        if (activity->last) writeJobBrief(w.key("lastJob"), *activity->last);
        if (activity->shownJob) w.field("shownJob", activity->shownJob);
    }
    w.endObject();
}

void writeJob(JsonWriter& w, const JobRecord& j) {
    w.beginObject();
    w.field("id", j.id).field("sign", j.sign).field("kind", j.kind);
    w.field("operation", j.operation);
    if (!j.argument.empty()) w.field("name", j.argument);
    if (!j.document.empty()) w.field("documentBytes", static_cast<int64_t>(j.document.size()));
    w.field("summary", j.summary).field("state", std::string(jobStateName(j.state)));
    w.field("detail", j.detail).field("attempts", j.attempts);
    w.field("createdAt", j.createdAt).field("updatedAt", j.updatedAt);
    if (j.state == JobState::Queued) w.field("nextTryAt", j.nextTryAt);
    w.field("expiresAt", j.expiresAt);
    w.endObject();
}

std::string jobEvent(const JobRecord& job) {
    std::ostringstream out;
    JsonWriter w(out);
    writeJob(w, job);
    return oneLine(out.str());
}

std::string signEvent(const std::string& name, const std::string& change,
                      const std::optional<SignStatus>& status) {
    std::ostringstream out;
    JsonWriter w(out);
    w.beginObject().field("name", name).field("change", change);
    if (status && status->gprs) {
        w.field("connected", status->connected);
        if (status->connected) w.field("connectedSince", status->connectedSinceMs);
    }
    w.endObject();
    return oneLine(out.str());
}

}  // namespace lumavox::server
