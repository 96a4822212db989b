#include "operations/ControlRoute.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "content/GraphicBmp.h"
#include "content/WindowLayout.h"
#include "platform/Files.h"
#include "session/AddressList.h"
#include "strings/ControlRouteTexts.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "strings/WindowTexts.h"

namespace lumavox {

namespace {

NVSOCX_Variant I2(int v) {
    NVSOCX_Variant a{};
    a.type = NVSOCX_VT_I2;
    a.value.i2 = static_cast<int16_t>(v);
    return a;
}
NVSOCX_Variant I4(int32_t v) {
    NVSOCX_Variant a{};
    a.type = NVSOCX_VT_I4;
    a.value.i4 = v;
    return a;
}
NVSOCX_Variant STR(const std::string& s) {
    NVSOCX_Variant a{};
    a.type = NVSOCX_VT_STR;
    a.value.str = s.c_str();
    return a;
}

std::string hexAddress(unsigned a) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%X", a);
    return buf;
}

std::vector<std::string> splitList(const std::string& list) {
    std::vector<std::string> out;
    size_t pos = 0;
    for (;;) {
        size_t comma = list.find(',', pos);
        std::string item = list.substr(pos, comma == std::string::npos ? comma : comma - pos);
        item.erase(0, item.find_first_not_of(" \t"));
        item.erase(item.find_last_not_of(" \t") + 1);
        if (!item.empty()) out.push_back(item);
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    return out;
}

std::string joined(const std::vector<std::string>& items) {
    std::string s;
    for (const auto& i : items)
        s += (s.empty() ? "" : ",") + i;
    return s;
}

bool isCounter(unsigned format) {
    return (format >= 16 && format <= 20) || (format >= 32 && format <= 36);
}

constexpr uint8_t kRgbColour = 127;
constexpr uint8_t kUnknown = 255;

}  // namespace

std::string controlResultText(int result) {
    switch (result) {
        case 0:
            return text(msg::kControlBadAddress);
        case -1:
        case -7:
            return text(msg::kControlStartSendFirst);
        case -2:
            return text(msg::kControlBusy);
        case -8:
            return text(msg::kControlBadComHandle);
        case -10:
            return text(msg::kControlBadAddressPair);
        case -20:
            return text(msg::kControlNoTextFile);
        case -21:
            return text(msg::kControlBodyTooLarge);
        default:
            return {};
    }
}

std::string describeControlConnection(const ControlRouteConfig& c, const Settings& settings,
                                      const std::string& device) {
    std::string s;
    if (c.sendType == SendType::TcpIp) {
        std::string hosts;
        for (const std::string& t : c.targets)
            hosts += (hosts.empty() ? "" : ",") + t;
        s = "TCP/IP (" + (hosts.empty() ? std::string("no address") : hosts) + ") port " +
            std::to_string(c.tcpPort);
    } else if (!device.empty()) {
        s = "serial " + device;
    } else {
        s = "serial COM" + std::to_string(c.comPort) + " (" +
            comPortsFrom(settings).devicePath(c.comPort) + ") at " + std::to_string(c.baudRate) +
            " baud";
    }
    const bool several = c.addressList.find_first_of(",-") != std::string::npos;
    if (c.addressList.empty()) return s + ", no sign address";
    return s + ", sign address" + (several ? "es " : " ") + c.addressList;
}

ControlRouteConfig controlRouteConfigFrom(const Settings& s,
                                          const std::filesystem::path& imageDir) {
    ControlRouteConfig c;
    c.sendType = s.sendType;
    c.baudRate = baudRateForIndex(s.baudRateIndex);
    c.comPort = s.comport;
    c.tcpPort = s.tcpPort;
    if (s.sendType == SendType::TcpIp) {
        for (const TcpIpGroup& g : s.tcpGroups)
            if (g.name == s.lastGroupName) c.targets = splitList(g.addresses);
    } else {
        c.targets.push_back({});
    }
    c.addressList = s.address;
    c.clearMemory = (s.clearAllMemory & 1) != 0;
    c.checkEach = s.checkResponseEachSignNvs;
    c.imageDir = imageDir;
    return c;
}

int controlDialogTitleId(UpdateKind kind) {
    switch (kind) {
        case UpdateKind::SetDefault:
            return msg::kControlTitleRunSequence;
        case UpdateKind::SendAll:
            return msg::kControlTitleSendAll;
        case UpdateKind::AdjustTime:
        case UpdateKind::ChangeAddress:
        case UpdateKind::SignOff:
        case UpdateKind::SignOn:
        case UpdateKind::ClearMemory:
            return msg::kUpdateKindTitle + static_cast<int>(kind);
        default:
            return msg::kControlUpdateFilesTitle;
    }
}

bool storeControlChecks(Settings& s, bool clearMemory, bool checkEach) {
    const int options = (s.clearAllMemory & ~1) | (clearMemory ? 1 : 0);
    const bool changed = options != s.clearAllMemory || checkEach != s.checkResponseEachSignNvs;
    s.clearAllMemory = options;
    s.checkResponseEachSignNvs = checkEach;
    return changed;
}

ControlRoute::ControlRoute(NVSOCX_Object& control, ControlRouteHost& host)
    : control_(control), host_(host) {
    control_.SetEventHandlers(control_.control, &resultThunk, &promptThunk, &progressThunk, this);
}

ControlRoute::~ControlRoute() {
    control_.SetEventHandlers(control_.control, nullptr, nullptr, nullptr, nullptr);
}

int ControlRoute::eventFd() const {
    return control_.EventFd(control_.control);
}

short ControlRoute::call(int dispid, std::initializer_list<NVSOCX_Variant> args) {
    NVSOCX_Variant result{};
    int32_t rc = control_.Invoke(control_.control, dispid, args.size() ? args.begin() : nullptr,
                                 static_cast<int32_t>(args.size()), &result);
    if (rc != NVSOCX_OK) return -100;
    return result.type == NVSOCX_VT_I2 ? result.value.i2 : 0;
}

void ControlRoute::report(int result) {
    std::string t = controlResultText(result);
    if (t.empty()) return;
    ++failures_;
    host_.addResult(t);
}

bool ControlRoute::start(UpdateKind kind, const ControlRouteConfig& config,
                         const WorkArea* document) {
    if (running_) return false;
    failures_ = 0;
    auto refuse = [&](const std::string& t) {
        ++failures_;
        host_.addResult(t);
        host_.message(t, Icon::Error);
        return false;
    };
    kind_ = kind;
    config_ = config;
    document_ = document;
    if ((kind == UpdateKind::SendAll || kind == UpdateKind::SetDefault) && !document)
        return refuse(text(msg::kControlNoTextFile));
    if (int refusal = checkAddressNumbers(config.addressList)) return refuse(text(refusal));
    addresses_.clear();
    for (uint8_t a : parseAddressList(config.addressList))
        addresses_.push_back(hexAddress(a));
    if (addresses_.empty() && kind != UpdateKind::ChangeAddress)
        return refuse(text(msg::kNoSignAddress));
    if (config_.targets.empty()) {
        if (config.sendType == SendType::TcpIp) return refuse(text(msg::kNoIpAddress));
        config_.targets.push_back({});
    }
    images_.clear();
    if (kind == UpdateKind::SendAll) {
        std::string error;
        if (!writeImages(error)) return refuse(error);
    }
    running_ = true;
    target_ = 0;
    runTarget();
    return true;
}

bool ControlRoute::writeImages(std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(config_.imageDir, ec);
    // The folder holds only this run's pictures.
    for (auto it = std::filesystem::directory_iterator(config_.imageDir, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code e2;
        if (!it->is_directory(e2)) std::filesystem::remove(it->path(), e2);
    }
    if (ec) {
        error = textf(msg::kControlImageFailed, {config_.imageDir.string(), ec.message()});
        return false;
    }
    for (const GraphicFile& g : document_->graphics) {
        std::string name = g.name.str();
        std::filesystem::path path = config_.imageDir / (name + ".bmp");
        std::vector<uint8_t> bytes = encodeGraphicBmp(g);
        std::string why;
        if (bytes.empty()) why = "empty";
        // Working copies for the control, deleted again at exit: no flush to disk.
        if (why.empty()) writeFileAtomically(path, bytes, why, false);
        if (!why.empty()) {
            error = textf(msg::kControlImageFailed, {path.string(), why});
            return false;
        }
        images_.emplace_back(path.string(), name + ".bmp");
    }
    return true;
}

void ControlRoute::runTarget() {
    call(NVSOCX_DISPID_ClearContent, {});
    call(NVSOCX_DISPID_SetCommuMode, {I2(static_cast<int>(config_.sendType))});
    call(NVSOCX_DISPID_SetBaudRate, {I4(config_.baudRate)});
    call(NVSOCX_DISPID_SetComport, {I2(config_.comPort)});
    const std::string& ip = config_.targets[target_];
    if (config_.sendType == SendType::TcpIp)
        call(NVSOCX_DISPID_SetIPAndPort, {STR(ip), I4(config_.tcpPort)});
    int started = call(NVSOCX_DISPID_StartSend, {I4(config_.hostHandle)});
    report(started);
    operate();
}

int ControlRoute::callOneShot(const std::string& address) {
    const NVSOCX_Variant atOnce = I2(1);
    switch (kind_) {
        case UpdateKind::AdjustTime:
            return call(NVSOCX_DISPID_AdjustTime, {STR(address), atOnce});
        case UpdateKind::ClearMemory:
            return call(NVSOCX_DISPID_ClearSignMemory, {STR(address), atOnce});
        case UpdateKind::SetDefault:
            return call(NVSOCX_DISPID_SetRunSequence, {STR(address), STR(sequence_), atOnce});
        case UpdateKind::SignOff:
            return call(NVSOCX_DISPID_TurnPowerOff, {STR(address)});
        case UpdateKind::SignOn:
            return call(NVSOCX_DISPID_TurnPowerOn, {STR(address)});
        default:
            return 0;
    }
}

void ControlRoute::operate() {
    // Whether a transmission was started: only then will an event end this target.
    bool sending = false;
    auto queued = [&](int result, bool atOnce) {
        report(result);
        if (atOnce && result == NVSOCX_QUEUED) sending = true;
    };
    const bool each = config_.checkEach;
    const std::string all = joined(addresses_);
    switch (kind_) {
        case UpdateKind::SendAll: {
            call(NVSOCX_DISPID_SetSignInfo,
                 {I4(document_->signWidth), I4(document_->signHeight), I4(document_->colourType)});
            call(NVSOCX_DISPID_ClearContent, {});
            buildContent();
            // Ticked: one call per address, and only the last one sends; the
            // control sends the files to each address in turn and checks
            // each sign's answer within that one transmission.
            std::vector<std::string> calls = each ? addresses_ : std::vector<std::string>{all};
            for (size_t i = 0; i < calls.size(); ++i) {
                int atOnce = i + 1 == calls.size() ? 1 : 0;
                queued(call(NVSOCX_DISPID_SendFiles,
                            {STR(calls[i]), I2(config_.clearMemory ? 1 : 0), I2(atOnce)}),
                       atOnce != 0);
            }
            break;
        }
        case UpdateKind::ChangeAddress:
            queued(call(NVSOCX_DISPID_ChangeSignAddress,
                        {I4(config_.oldAddress), I4(config_.newAddress)}),
                   true);
            break;
        case UpdateKind::AdjustTime:
        case UpdateKind::ClearMemory:
        case UpdateKind::SetDefault:
        case UpdateKind::SignOff:
        case UpdateKind::SignOn: {
            sequence_.clear();
            if (kind_ == UpdateKind::SetDefault && document_)
                for (const TextFile& f : document_->textFiles)
                    if (f.kind == kTextFile) sequence_ += "$" + f.name.str() + "$";
            // Each call sends at once: the control takes no send-at-once call
            // while jobs wait or a transmission runs, so with one call per
            // address the next address is called when the previous
            // transmission is done and its sign has answered.
            pending_ = each ? addresses_ : std::vector<std::string>{all};
            while (!pending_.empty() && !sending) {
                std::string a = pending_.front();
                pending_.erase(pending_.begin());
                queued(callOneShot(a), true);
            }
            break;
        }
        default:
            break;
    }
    if (!sending) {
        if (dispatching_) {
            stepRequested_ = true;
            return;
        }
        // A connection that failed before anything could be queued has
        // reported it already; raise that before StopSend drops it.
        dispatching_ = true;
        control_.DispatchEvents(control_.control);
        dispatching_ = false;
        nextStep();
    }
}

void ControlRoute::nextStep() {
    stepRequested_ = false;
    pendingRequested_ = false;
    progress_ = 0;
    host_.progressPosition(0);
    pending_.clear();
    call(NVSOCX_DISPID_StopSend, {});
    if (!running_) return;
    if (++target_ < config_.targets.size()) {
        runTarget();
        return;
    }
    host_.addResult(text(msg::kControlAllOver));
    running_ = false;
    host_.runEnded();
}

void ControlRoute::dispatch() {
    // A message box shown while events are raised runs its own loop; a host
    // that dispatches from there must not enter the control again.
    if (dispatching_) return;
    dispatching_ = true;
    control_.DispatchEvents(control_.control);
    dispatching_ = false;
    // Steps are taken once the control has returned from raising its events.
    while (pendingRequested_ && running_ && !stepRequested_) {
        pendingRequested_ = false;
        std::string a = pending_.front();
        pending_.erase(pending_.begin());
        int r = callOneShot(a);
        report(r);
        if (r != NVSOCX_QUEUED) (pending_.empty() ? stepRequested_ : pendingRequested_) = true;
    }
    pendingRequested_ = false;
    while (stepRequested_ && running_)
        nextStep();
}

bool ControlRoute::stop() {
    if (call(NVSOCX_DISPID_HasStartSendThread, {}) != 1) return false;
    host_.addResult(text(msg::kControlStopping));
    bool wasRunning = running_;
    running_ = false;
    pending_.clear();
    stepRequested_ = false;
    pendingRequested_ = false;
    call(NVSOCX_DISPID_StopSend, {});
    dispatching_ = true;
    control_.DispatchEvents(control_.control);
    dispatching_ = false;
    stepRequested_ = false;
    host_.addResult(text(msg::kControlStopped));
    progress_ = 0;
    host_.progressPosition(0);
    if (wasRunning) {
        ++failures_;
        host_.message(text(msg::kCancelledByUser), Icon::Information);
    }
    host_.runEnded();
    return true;
}

void ControlRoute::onResult(int16_t id, int16_t result, const std::string& t) {
    host_.addResult(t);
    if (!running_ || stepRequested_ || pendingRequested_) return;
    bool failed = (id == 1 && result == 0) ||
                  (id == 2 && (result == 0 || result == 4 || result == 5 || result == 6)) ||
                  id == 3;
    if (failed) {
        ++failures_;
        host_.message(t, Icon::Error);
        stepRequested_ = true;
    } else if (id == 100) {
        progress_ = 0;
        host_.progressPosition(0);
        // A one-shot command goes to its next address.
        if (!pending_.empty())
            pendingRequested_ = true;
        else
            stepRequested_ = true;
    }
}

void ControlRoute::onPrompt(const std::string& t) {
    host_.addResult(t);
}

void ControlRoute::onProgress(int16_t type, int32_t step) {
    if (type == 1) {
        host_.progressRange(step);
        progress_ = 0;
        host_.progressPosition(0);
    } else if (type == 2) {
        progress_ += step;
        host_.progressPosition(progress_);
    }
}

void ControlRoute::resultThunk(void* user, int16_t id, int16_t result, const char* t) {
    static_cast<ControlRoute*>(user)->onResult(id, result, t ? t : "");
}
void ControlRoute::promptThunk(void* user, const char* t) {
    static_cast<ControlRoute*>(user)->onPrompt(t ? t : "");
}
void ControlRoute::progressThunk(void* user, int16_t type, int32_t step) {
    static_cast<ControlRoute*>(user)->onProgress(type, step);
}

// ---- Content build ----------------------------------------------------------

void ControlRoute::refused(const char* method, const std::string& file, int result) {
    ++failures_;
    host_.addResult(textf(msg::kControlRefusedItem, {method, file, result}));
}

void ControlRoute::buildContent() {
    for (const auto& [path, label] : images_) {
        int r = call(NVSOCX_DISPID_AddDiskFile, {STR(path), STR(label)});
        if (r < 0) refused("AddDiskFile", label, r);
    }
    for (const TextFile& f : document_->textFiles) {
        if (f.kind != kTextFile) continue;
        std::string name = f.name.str();
        int r = call(NVSOCX_DISPID_AddRichFile, {STR(name)});
        if (r != 1) {
            refused("AddRichFile", name, r);
            continue;  // its items would go into the previous file
        }
        std::vector<const TextFile*> expanding;
        replayFile(f, expanding);
    }
}

void ControlRoute::replayFile(const TextFile& file, std::vector<const TextFile*>& expanding) {
    expanding.push_back(&file);
    const std::string name = file.name.str();
    EncodeState s;
    if (document_->colourType == 1) s.colour = 1;
    auto check = [&](const char* method, int r) {
        if (r < 0) refused(method, name, r);
    };
    auto flash = [&](uint8_t f) {
        if (s.flash == f) return;
        if (s.flash != kUnknown && s.flash != 0)
            check("SetFlashOFF", call(NVSOCX_DISPID_SetFlashOFF, {}));
        if (f) check("SetFlashON", call(NVSOCX_DISPID_SetFlashON, {}));
        s.flash = f;
    };
    auto attributes = [&](uint8_t font, uint8_t colour, uint8_t property, uint8_t fl,
                          uint32_t word1, uint32_t word2) {
        if (s.font != font) {
            check("SetFont", call(NVSOCX_DISPID_SetFont, {I2(font)}));
            s.font = font;
        }
        if (s.colour != colour) {
            if (colour == kRgbColour)
                check("SetColorRGB",
                      call(NVSOCX_DISPID_SetColorRGB,
                           {I4(static_cast<int32_t>(word1)), I4(static_cast<int32_t>(word2))}));
            else
                check("SetColorIndex", call(NVSOCX_DISPID_SetColorIndex, {I2(colour)}));
            s.colour = colour;
        }
        flash(fl);
        if (s.property != property) {
            if (s.property != kUnknown || property == 1 || property == 2)
                check("SetCharProperty", call(NVSOCX_DISPID_SetCharProperty, {I2(property)}));
            s.property = property;
        }
    };
    // The last item is the end-of-text marker, never sent.
    size_t count = file.items.empty() ? 0 : file.items.size() - 1;
    for (size_t i = 0; i < count; ++i) {
        const TextItem& item = file.items[i];
        if (item.isChar()) {
            const CharItem& c = item.ch();
            attributes(c.font, c.colour, c.property, c.flash, c.colourWord1, c.colourWord2);
            check("AddDisplayChar",
                  call(NVSOCX_DISPID_AddDisplayChar, {I2(static_cast<int16_t>(c.character))}));
            continue;
        }
        if (item.isWindow()) {
            // Windows open in the text file itself; one inside a window file
            // has no place in the control's content.
            if (expanding.size() > 1) continue;
            for (const PlayedArea& p :
                 playedAreas(item.window(), document_->signWidth, document_->signHeight)) {
                const WindowArea& a = *p.area;
                int r = call(NVSOCX_DISPID_AddWindow,
                             {I2(p.rect.left), I2(p.rect.top), I2(p.rect.right - p.rect.left),
                              I2(p.rect.bottom - p.rect.top), I2(a.byteE)});
                if (r != 1) {
                    // The area's text would land outside it: left out.
                    refused("AddWindow", name, r);
                    continue;
                }
                const TextFile* called =
                    a.name.empty() ? nullptr : document_->findFile(a.name.str());
                if (called &&
                    std::find(expanding.begin(), expanding.end(), called) == expanding.end())
                    replayFile(*called, expanding);
                call(NVSOCX_DISPID_EndWindow, {});
            }
            continue;
        }
        const ControlParams& p = item.params();
        switch (item.kind) {
            case kTempCounter:
                attributes(static_cast<uint8_t>(p.valueB), static_cast<uint8_t>(p.valueC),
                           static_cast<uint8_t>(p.valueD), p.byteE, 0, 0);
                if (isCounter(p.valueA)) {
                    TimeStamp t = TimeStamp::fromBytes(p.name.bytes.data());
                    check("AddCounter", call(NVSOCX_DISPID_AddCounter,
                                             {I4(p.valueA), I4(t.year + 2000), I4(t.month),
                                              I4(t.day), I4(t.hour), I4(t.minute), I4(t.second)}));
                } else {
                    check("AddTemperature", call(NVSOCX_DISPID_AddTemperature, {I2(p.valueA)}));
                }
                break;
            case kMove:
                if (p.valueB != 0 && i != 0)
                    check("SetMoveMethod", call(NVSOCX_DISPID_SetMoveMethod, {I2(p.valueB - 1)}));
                check("SetMoveMethod", call(NVSOCX_DISPID_SetMoveMethod, {I2(p.valueA)}));
                break;
            case kSpeed:
                check("SetSpeed", call(NVSOCX_DISPID_SetSpeed, {I2(p.valueC)}));
                break;
            case kPause:
                check("SetPause", call(NVSOCX_DISPID_SetPause, {I2(p.valueD)}));
                break;
            case kDateTime:
                attributes(static_cast<uint8_t>(p.valueB), static_cast<uint8_t>(p.valueC),
                           static_cast<uint8_t>(p.valueD), p.byteE, 0, 0);
                check("AddDateTime", call(NVSOCX_DISPID_AddDateTime, {I2(p.valueA)}));
                break;
            case kBeep:
                check("AddBeep", call(NVSOCX_DISPID_AddBeep, {I2(p.valueA)}));
                break;
            case kGraphicItem:
                flash(p.flash2);
                check("InsertGraphic",
                      call(NVSOCX_DISPID_InsertGraphic, {STR(p.name.str() + ".bmp")}));
                break;
            case kRowPitch:
                check("SetRowSpace", call(NVSOCX_DISPID_SetRowSpace, {I2(p.valueA)}));
                break;
            default:
                break;  // includes give nothing
        }
    }
    expanding.pop_back();
}

}  // namespace lumavox
