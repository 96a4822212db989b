#include "cli/ServerClient.h"

#include <httplib.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <thread>

#include "content/Json.h"
#include "operations/Operations.h"
#include "platform/Files.h"

namespace lumavox {

namespace {

constexpr const char* kUsage =
    "usage: lumavox-cli COMMAND [ARGS] --server URL (--sign NAME | --group NAME | --all)\n"
    "       [--expires SECONDS] [--no-wait]\n"
    "  COMMAND: send-all DOC.glm, set-default NAME, or a sign command or read without a\n"
    "  document (adjust-time, sign-on, sign-off, clear-memory, test-display, read-memory ...)\n";

struct ServerOptions {
    std::string url;
    std::optional<std::string> sign, group;
    bool all = false;
    bool wait = true;
    std::optional<long> expires;
    std::vector<std::string> positional;
};

bool parse(const std::vector<std::string>& args, ServerOptions& o, std::ostream& err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--server" || a == "--sign" || a == "--group" || a == "--expires") {
            if (i + 1 >= args.size()) {
                err << "lumavox-cli: " << a << " needs a value\n";
                return false;
            }
            const std::string& v = args[++i];
            if (a == "--server") o.url = v;
            if (a == "--sign") o.sign = v;
            if (a == "--group") o.group = v;
            if (a == "--expires") {
                char* end = nullptr;
                o.expires = std::strtol(v.c_str(), &end, 10);
                if (v.empty() || *end || *o.expires < 1) {
                    err << "lumavox-cli: --expires must be a number of seconds\n";
                    return false;
                }
            }
        } else if (a == "--all") {
            o.all = true;
        } else if (a == "--no-wait") {
            o.wait = false;
        } else if (a == "--quiet" || a == "--yes") {
            // The service answers its own questions; nothing to print less.
        } else if (a.rfind("--", 0) == 0) {
            err << "lumavox-cli: " << a << " does not go with --server\n";
            return false;
        } else {
            o.positional.push_back(a);
        }
    }
    if (o.sign.has_value() + o.group.has_value() + o.all != 1) {
        err << "lumavox-cli: --server needs one of --sign NAME, --group NAME and --all\n";
        return false;
    }
    return !o.positional.empty();
}

// LUMAVOX_TOKEN, else the token file in the service's default state folder.
bool findToken(std::string& token, std::ostream& err) {
    if (const char* t = std::getenv("LUMAVOX_TOKEN"); t && *t) {
        token = t;
        return true;
    }
    const std::filesystem::path file = userStateHome() / "lumavox-server" / "token";
    std::vector<uint8_t> bytes;
    std::string error;
    if (!readWholeFile(file, 4096, bytes, error)) {
        err << "lumavox-cli: no API token: set LUMAVOX_TOKEN (" << file.string() << ": " << error
            << ")\n";
        return false;
    }
    token.assign(bytes.begin(), bytes.end());
    while (!token.empty() && (token.back() == '\n' || token.back() == '\r'))
        token.pop_back();
    return true;
}

// The service's refusal in its words, or the connection's failure.
std::string problem(const httplib::Result& r) {
    if (!r) return "the service does not answer (" + httplib::to_string(r.error()) + ")";
    JsonValue v;
    std::string error;
    if (parseJson(r->body, v, error))
        if (const JsonValue* e = v.find("error"); e && e->isString()) return e->text;
    return "the service answered " + std::to_string(r->status);
}

}  // namespace

bool namesServer(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--server") return true;
    return false;
}

int runServerCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ServerOptions o;
    if (!parse(args, o, err)) {
        err << kUsage;
        return 2;
    }
    const SignOperation* op = findOperation(o.positional[0]);
    if (!op) {
        err << kUsage;
        return 2;
    }
    std::string token;
    if (!findToken(token, err)) return 1;

    std::ostringstream body;
    JsonWriter w(body);
    w.beginObject();
    if (o.sign) w.field("sign", *o.sign);
    if (o.group) w.field("group", *o.group);
    if (o.all) w.field("all", true);
    if (o.expires) w.field("expires", static_cast<int64_t>(*o.expires));
    if (op->name == "send-all") {
        if (o.positional.size() != 2) {
            err << kUsage;
            return 2;
        }
        std::vector<uint8_t> bytes;
        std::string error;
        if (!readWholeFile(o.positional[1], size_t{64} << 20, bytes, error)) {
            err << "lumavox-cli: " << o.positional[1] << ": " << error << "\n";
            return 1;
        }
        w.field("glm", encodeBase64(bytes));
    } else if (op->document == DocumentUse::None &&
               (op->input == OperationInput::None || op->input == OperationInput::DefaultName)) {
        w.field("command", std::string(op->name));
        if (op->input == OperationInput::DefaultName && o.positional.size() == 2)
            w.field("name", o.positional[1]);
        else if (o.positional.size() != 1) {
            err << kUsage;
            return 2;
        }
    } else {
        err << "lumavox-cli: " << op->name
            << " is not sent through the service; send-all sends a whole document\n";
        return 2;
    }
    w.endObject();

    httplib::Client client(o.url);
    if (!client.is_valid()) {
        err << "lumavox-cli: --server " << o.url << ": not an http://HOST:PORT address\n";
        return 2;
    }
    client.set_bearer_token_auth(token.c_str());
    client.set_connection_timeout(10, 0);
    auto posted = client.Post("/api/v1/jobs", body.str(), "application/json");
    if (!posted || posted->status != 202) {
        err << "lumavox-cli: " << problem(posted) << "\n";
        return 1;
    }
    JsonValue answer;
    std::string error;
    std::vector<int64_t> ids;
    if (parseJson(posted->body, answer, error))
        if (const JsonValue* list = answer.find("ids"))
            for (const JsonValue& id : list->elements)
                ids.push_back(id.number);
    for (int64_t id : ids)
        out << "queued job " << id << "\n";
    if (!o.wait) return 0;

    // Followed to the end: each change of state is printed, and the session's
    // texts when the job ends.
    std::map<int64_t, std::string> states;
    int delivered = 0;
    while (states.size() < ids.size() || [&] {
        for (const auto& [id, s] : states)
            if (s == "queued" || s == "sending") return true;
        return false;
    }()) {
        for (int64_t id : ids) {
            std::string& known = states[id];
            if (!known.empty() && known != "queued" && known != "sending") continue;
            auto r = client.Get(("/api/v1/jobs/" + std::to_string(id)).c_str());
            JsonValue job;
            if (!r || r->status != 200 || !parseJson(r->body, job, error)) {
                err << "lumavox-cli: " << problem(r) << "\n";
                return 1;
            }
            const std::string state = job.find("state") ? job.find("state")->text : "";
            if (state == known) continue;
            known = state;
            const std::string sign = job.find("sign") ? job.find("sign")->text : "";
            out << "job " << id << " (" << sign << "): " << state << "\n";
            if (state != "queued" && state != "sending") {
                if (const JsonValue* d = job.find("detail"); d && !d->text.empty())
                    out << d->text << "\n";
                if (state == "delivered") ++delivered;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    return delivered == static_cast<int>(ids.size()) ? 0 : 1;
}

}  // namespace lumavox
