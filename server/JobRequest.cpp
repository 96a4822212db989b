#include "server/JobRequest.h"

#include <algorithm>
#include <array>
#include <sstream>

#include "content/Document.h"
#include "content/DocumentJson.h"
#include "content/Vocabulary.h"
#include "operations/Operations.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "render/TextDots.h"

namespace lumavox::server {

namespace {

using Type = JsonValue::Type;

SignMode familyMode(const std::string& family) {
    return family == "NVS" ? SignMode::NVS : SignMode::KV2;
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// The document as the document file the sign operations send.
std::vector<uint8_t> documentBytes(WorkArea& work, SignMode mode) {
    return serializeDocument(work, mode, SystemClock::instance());
}

// A refusal of lumavox-cli build's reader, its path moved under `prefix`
// ("$.textFiles[0]..." becomes "$.document.textFiles[0]...").
std::string underPath(const std::string& error, const std::string& prefix) {
    if (error.rfind("$", 0) == 0) return prefix + error.substr(1);
    return prefix + ": " + error;
}

struct CommandAlias {
    const char* name;
    const char* operation;
};
constexpr std::array<CommandAlias, 3> kAliases = {{
    {"on", "sign-on"},
    {"off", "sign-off"},
    {"clear", "clear-memory"},
}};

// The operations a command job may run: those that need neither a document
// nor an answer beyond the default file's name.
bool commandOperation(const std::string& name, const SignOperation*& op) {
    std::string operation = name;
    for (const CommandAlias& a : kAliases)
        if (name == a.name) operation = a.operation;
    op = findOperation(operation);
    return op && op->document == DocumentUse::None &&
           (op->input == OperationInput::None || op->input == OperationInput::DefaultName);
}

}  // namespace

bool onlyKeys(const JsonValue& v, const std::string& path,
              std::initializer_list<std::string_view> allowed, std::string& error) {
    for (const auto& member : v.members) {
        if (std::find(allowed.begin(), allowed.end(), member.first) == allowed.end()) {
            error = path + "." + member.first + ": unknown key";
            return false;
        }
    }
    return true;
}

bool integerField(const JsonValue& object, const char* key, int low, int high, int& out,
                  std::string& error) {
    const JsonValue* e = object.find(key);
    if (!e) return true;
    if (!e->isNumber() || e->number < low || e->number > high) {
        error = std::string("$.") + key + ": must be " + std::to_string(low) + ".." +
                std::to_string(high);
        return false;
    }
    out = static_cast<int>(e->number);
    return true;
}

const std::vector<std::string>& jobCommandNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const SignOperation& op : signOperations()) {
            const SignOperation* found = nullptr;
            if (commandOperation(std::string(op.name), found) && found == &op)
                n.emplace_back(op.name);
        }
        for (const CommandAlias& a : kAliases)
            n.emplace_back(a.name);
        return n;
    }();
    return names;
}

bool quickMessageDocument(const JsonValue& message, const SignRecord& sign,
                          std::vector<uint8_t>& document, std::string& error) {
    const std::string path = "$.message";
    if (!message.isObject()) return (error = path + ": must be an object", false);
    if (!onlyKeys(message, path, {"text", "colour", "effect", "speed"}, error)) return false;
    const JsonValue* text = message.find("text");
    if (!text || !text->isString() || text->text.empty())
        return (error = path + ".text: must be a text of at least one character", false);
    const SignMode mode = familyMode(sign.family);

    // The items in order, each remembering the field it came from, so that the
    // reader's refusal can name the field the client wrote.
    std::ostringstream json;
    JsonWriter w(json);
    std::vector<std::string> fieldOfItem;
    w.beginObject().field("signWidth", sign.width).field("signHeight", sign.height);
    w.field("colourType", sign.colourType).key("textFiles").beginArray().beginObject();
    w.field("name", std::string("MESSAGE")).key("items").beginArray();
    if (const JsonValue* effect = message.find("effect")) {
        w.beginObject().field("type", std::string("move"));
        if (effect->isNumber()) {
            w.field("valueA", effect->number);
        } else if (effect->isString()) {
            auto names = moveMethodNames(mode);
            auto found = std::find(names.begin(), names.end(), effect->text);
            if (found == names.end())
                return (error = path + ".effect: is no transition effect of the " + sign.family +
                                " family",
                        false);
            w.field("valueA", static_cast<int>(found - names.begin()));
        } else {
            return (error = path + ".effect: must be a number or an effect's name", false);
        }
        w.endObject();
        fieldOfItem.push_back("effect");
    }
    if (const JsonValue* speed = message.find("speed")) {
        if (!speed->isNumber()) return (error = path + ".speed: must be a number", false);
        w.beginObject().field("type", std::string("speed")).field("speed", speed->number);
        w.endObject();
        fieldOfItem.push_back("speed");
    }
    w.beginObject().field("type", std::string("char"));
    if (text->wide.empty())
        w.field("text", text->text);
    else
        w.field("text", text->wide);
    if (const JsonValue* colour = message.find("colour")) {
        if (colour->isNumber())
            w.field("colour", colour->number);
        else if (colour->isString())
            w.field("colourName", colour->text);
        else
            return (error = path + ".colour: must be a number or a colour's name", false);
    }
    w.endObject();
    fieldOfItem.push_back("colour");
    w.endArray().endObject().endArray().endObject();

    WorkAreaFromJson read;
    std::string readError;
    // What the sign's fonts lack is drawn as graphics, as lumavox-cli build does.
    static const TextPainterFactory painters = signTextPainters(resolveDataDir(std::nullopt));
    if (!readWorkAreaJson(json.str(), mode, read, readError, &painters)) {
        // "$.textFiles[0].items[N].x: reason" names the field of item N.
        const std::string itemsAt = "$.textFiles[0].items[";
        std::string field;
        size_t reason = readError.find(": ");
        if (readError.rfind(itemsAt, 0) == 0) {
            size_t n = std::strtoul(readError.c_str() + itemsAt.size(), nullptr, 10);
            if (n < fieldOfItem.size()) field = fieldOfItem[n];
            // The char item carries both the text and its colour.
            size_t key = readError.find("].", itemsAt.size());
            if (field == "colour" && key != std::string::npos &&
                readError.compare(key + 2, 5, "text:") == 0)
                field = "text";
        }
        error = path + (field.empty() ? "" : "." + field) +
                (reason == std::string::npos ? ": " + readError : readError.substr(reason));
        return false;
    }
    document = documentBytes(read.work, mode);
    return true;
}

PreviewRequest decodePreviewRequest(
    const JsonValue& body,
    const std::function<std::optional<SignRecord>(const std::string&)>& findSign) {
    PreviewRequest out;
    auto refuse = [&out](int status, std::string error) {
        out.status = status;
        out.error = std::move(error);
        out.document.clear();
        return out;
    };
    if (!body.isObject()) return refuse(400, "$: must be an object");
    std::string error;
    if (!onlyKeys(body, "$", {"sign", "width", "height", "family", "colourType", "message"}, error))
        return refuse(400, error);
    const JsonValue* message = body.find("message");
    if (!message) return refuse(400, "$.message: the quick message is needed");
    if (const JsonValue* sign = body.find("sign")) {
        for (const char* k : {"width", "height", "family", "colourType"})
            if (body.find(k))
                return refuse(400, std::string("$.") + k + ": a registered sign has its own");
        if (!sign->isString()) return refuse(400, "$.sign: must be a sign's name");
        std::optional<SignRecord> found = findSign(sign->text);
        if (!found) return refuse(404, "$.sign: no sign is named " + sign->text);
        out.sign = std::move(*found);
    } else {
        SignRecord& s = out.sign;
        if (!integerField(body, "width", 1, 4096, s.width, error) ||
            !integerField(body, "height", 1, 4096, s.height, error) ||
            !integerField(body, "colourType", 0, 1, s.colourType, error))
            return refuse(400, error);
        if (std::string size = checkNewSignSize(s.width, s.height); !size.empty())
            return refuse(400, "$.width: " + size);
        if (const JsonValue* f = body.find("family")) {
            if (!f->isString() || (f->text != "KV2" && f->text != "NVS"))
                return refuse(400, "$.family: must be \"KV2\" or \"NVS\"");
            s.family = f->text;
        }
    }
    if (!quickMessageDocument(*message, out.sign, out.document, error)) return refuse(400, error);
    return out;
}

DecodedJobs decodeJobRequest(const JsonValue& body, const std::vector<SignRecord>& signs,
                             int64_t nowMs, const JobRequestLimits& limits) {
    DecodedJobs out;
    auto refuse = [&out](int status, std::string error) {
        out.jobs.clear();
        out.status = status;
        out.error = std::move(error);
        return out;
    };
    if (!body.isObject()) return refuse(400, "$: must be an object");
    std::string error;
    if (!onlyKeys(
            body, "$",
            {"sign", "group", "all", "message", "document", "glm", "command", "name", "expires"},
            error))
        return refuse(400, error);

    // ---- Who ----
    std::vector<const SignRecord*> targets;
    const JsonValue* sign = body.find("sign");
    const JsonValue* group = body.find("group");
    const JsonValue* all = body.find("all");
    if ((sign != nullptr) + (group != nullptr) + (all != nullptr) != 1)
        return refuse(400, "$: name exactly one of \"sign\", \"group\" and \"all\"");
    if (sign) {
        if (!sign->isString()) return refuse(400, "$.sign: must be a sign's name");
        for (const SignRecord& s : signs)
            if (sameName(s.name, sign->text)) targets.push_back(&s);
        if (targets.empty()) return refuse(404, "$.sign: no sign is named " + sign->text);
    } else if (group) {
        if (!group->isString()) return refuse(400, "$.group: must be a group's name");
        for (const SignRecord& s : signs)
            for (const std::string& g : s.groups)
                if (sameName(g, group->text)) {
                    targets.push_back(&s);
                    break;
                }
        if (targets.empty()) return refuse(404, "$.group: no sign is in group " + group->text);
    } else {
        if (!all->isBool() || !all->boolean) return refuse(400, "$.all: must be true");
        for (const SignRecord& s : signs)
            targets.push_back(&s);
        if (targets.empty()) return refuse(404, "$.all: no sign is registered");
    }

    // ---- How long ----
    int64_t expires = limits.defaultExpirySeconds;
    if (const JsonValue* e = body.find("expires")) {
        if (!e->isNumber() || e->number < 1 || e->number > limits.maxExpirySeconds)
            return refuse(400, "$.expires: must be 1.." + std::to_string(limits.maxExpirySeconds) +
                                   " seconds");
        expires = e->number;
    }

    // ---- What ----
    const JsonValue* message = body.find("message");
    const JsonValue* document = body.find("document");
    const JsonValue* glm = body.find("glm");
    const JsonValue* command = body.find("command");
    if ((message != nullptr) + (document != nullptr) + (glm != nullptr) + (command != nullptr) != 1)
        return refuse(400,
                      "$: name exactly one of \"message\", \"document\", \"glm\" and \"command\"");
    const JsonValue* name = body.find("name");
    if (name && !command) return refuse(400, "$.name: only a command takes a name");

    JobRecord base;
    base.createdAt = base.updatedAt = base.nextTryAt = nowMs;
    base.expiresAt = nowMs + expires * 1000;
    std::vector<uint8_t> shared;  // a document that is the same for every target

    if (command) {
        const SignOperation* op = nullptr;
        if (!command->isString() || !commandOperation(command->text, op)) {
            std::string known;
            for (const std::string& n : jobCommandNames())
                known += (known.empty() ? "" : ", ") + n;
            return refuse(400, "$.command: must be one of " + known);
        }
        base.operation = std::string(op->name);
        base.kind = op->name.rfind("read-", 0) == 0 ? "read" : "command";
        base.summary = base.operation;
        if (op->input == OperationInput::DefaultName) {
            if (!name || !name->isString() || name->text.empty())
                return refuse(400, "$.name: the default file's name is needed");
            base.argument = name->text;
            base.summary += " " + name->text;
        } else if (name) {
            return refuse(400, "$.name: " + base.operation + " takes no name");
        }
    } else if (document) {
        std::ostringstream text;
        JsonWriter w(text);
        writeJsonValue(w, *document);
        WorkAreaFromJson read;
        if (!readWorkAreaJson(text.str(), familyMode(targets.front()->family), read, error))
            return refuse(400, underPath(error, "$.document"));
        shared = documentBytes(read.work, read.documentMode);
        base.kind = "document";
    } else if (glm) {
        std::vector<uint8_t> bytes;
        if (!glm->isString() || !decodeBase64(glm->text, bytes))
            return refuse(400, "$.glm: must be a document file in base64");
        OpenOptions open;
        open.mode = familyMode(targets.front()->family);
        OpenResult r = readDocument(bytes, open);
        if (!r.ok) return refuse(400, "$.glm: " + r.error);
        shared = std::move(bytes);
        base.kind = "document";
    } else {
        base.kind = "message";
        if (message->isObject())
            if (const JsonValue* t = message->find("text"); t && t->isString())
                base.summary = "message \"" + t->text + "\"";
    }
    if (base.kind == "document") {
        base.operation = "send-all";
        base.summary = "document of " + std::to_string(shared.size()) + " bytes";
    }

    for (const SignRecord* s : targets) {
        JobRecord j = base;
        j.sign = s->name;
        if (base.kind == "message") {
            j.operation = "send-all";
            if (!quickMessageDocument(*message, *s, j.document, error)) return refuse(400, error);
        } else if (base.kind == "document") {
            j.document = shared;
        }
        out.jobs.push_back(std::move(j));
    }
    return out;
}

}  // namespace lumavox::server
