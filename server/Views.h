// Signs and jobs as the API and the events stream show them.
#pragma once

#include <optional>
#include <string>

#include "content/Json.h"
#include "server/Store.h"

namespace lumavox::server {

// What the service knows of a sign beyond its record.
struct SignStatus {
    bool gprs = false;             // the sign is reached through a GPRS device
    bool connected = false;        // its device is registered with the gateway
    int64_t connectedSinceMs = 0;  // since when (0 when not connected)
    int64_t lastSeenMs = 0;        // the last time a session reached it (0: never)
};

// With `activity`: the job the sign waits for, its newest job and the job
// whose document it shows, as the fleet's rows show them.
void writeSign(JsonWriter& w, const SignRecord& sign, const SignStatus& status,
               const SignActivity* activity = nullptr);
// The document itself is left out; its size is given.
void writeJob(JsonWriter& w, const JobRecord& job);
// One-line JSON of the same, for an event.
std::string jobEvent(const JobRecord& job);
std::string signEvent(const std::string& name, const std::string& change,
                      const std::optional<SignStatus>& status = std::nullopt);

}  // namespace lumavox::server
