// The C interface of the control. Everything else in the library is hidden; no
// C++ exception leaves these functions.
#include "NVSOCX.h"

#include <dlfcn.h>

#include <new>
#include <string>

#include "NVSOCXCtrl.h"
#include "Registration.h"
#include "platform/Profile.h"

using lumavox::nvs::CNVSOCXCtrl;

struct NVSOCX_Control {
    CNVSOCXCtrl ctrl;
};

namespace {

template <class F>
auto guarded(F&& f, decltype(f()) fallback) noexcept -> decltype(f()) {
    try {
        return f();
    } catch (...) {
        return fallback;
    }
}

#define CALL(h, fallback, expr)                                   \
    do {                                                          \
        if (!(h)) return fallback;                                \
        return guarded([&] { return (h)->ctrl.expr; }, fallback); \
    } while (0)

}  // namespace

extern "C" {

int32_t NVSOCX_Version(void) {
    return NVSOCX_VERSION;
}

NVSOCX_Handle NVSOCX_Create(void) {
    try {
        auto* h = new NVSOCX_Control();
        if (!h->ctrl.valid()) {
            delete h;
            return nullptr;
        }
        return h;
    } catch (...) {
        return nullptr;
    }
}

void NVSOCX_Destroy(NVSOCX_Handle h) {
    try {
        delete h;
    } catch (...) {
    }
}

int16_t NVSOCX_AddRichFile(NVSOCX_Handle h, const char* n) {
    CALL(h, 0, content().addRichFile(n));
}
int16_t NVSOCX_AddDiskFile(NVSOCX_Handle h, const char* p, const char* l) {
    CALL(h, 0, content().addDiskFile(p, l));
}
void NVSOCX_ClearContent(NVSOCX_Handle h) {
    if (h) h->ctrl.content().clear();
}
int16_t NVSOCX_SetSignInfo(NVSOCX_Handle h, int32_t w, int32_t hh, int32_t c) {
    CALL(h, 0, SetSignInfo(w, hh, c));
}
int16_t NVSOCX_AddWindow(NVSOCX_Handle h, int16_t x, int16_t y, int16_t w, int16_t hh, int16_t a) {
    CALL(h, 0, content().addWindow(x, y, w, hh, a));
}
int16_t NVSOCX_SetMoveMethod(NVSOCX_Handle h, int16_t v) {
    CALL(h, 0, content().setMoveMethod(v));
}
int16_t NVSOCX_SetFont(NVSOCX_Handle h, int16_t v) {
    CALL(h, 0, content().setFont(v));
}
int16_t NVSOCX_SetColorIndex(NVSOCX_Handle h, int16_t v) {
    CALL(h, 0, content().setColorIndex(v));
}
int16_t NVSOCX_SetColorRGB(NVSOCX_Handle h, int32_t t, int32_t b) {
    CALL(h, 0, content().setColorRGB(t, b));
}
int16_t NVSOCX_SetCharProperty(NVSOCX_Handle h, int16_t v) {
    CALL(h, 0, content().setCharProperty(v));
}
int16_t NVSOCX_SetFlashON(NVSOCX_Handle h) {
    CALL(h, 0, content().setFlash(true));
}
int16_t NVSOCX_SetFlashOFF(NVSOCX_Handle h) {
    CALL(h, 0, content().setFlash(false));
}
int16_t NVSOCX_SetSpeed(NVSOCX_Handle h, int16_t v) {
    CALL(h, 0, content().setSpeed(v));
}
int16_t NVSOCX_SetPause(NVSOCX_Handle h, int16_t v) {
    CALL(h, 0, content().setPause(v));
}
int16_t NVSOCX_AddMessage(NVSOCX_Handle h, const char* m) {
    CALL(h, 0, content().addMessage(m));
}
int16_t NVSOCX_SetCommuMode(NVSOCX_Handle h, int16_t v) {
    CALL(h, 0, SetCommuMode(v));
}
int16_t NVSOCX_SetIPAndPort(NVSOCX_Handle h, const char* ip, int32_t port) {
    CALL(h, 0, SetIPAndPort(ip, port));
}
int16_t NVSOCX_SetComport(NVSOCX_Handle h, int16_t v) {
    CALL(h, 0, SetComport(v));
}
int16_t NVSOCX_SetBaudRate(NVSOCX_Handle h, int32_t v) {
    CALL(h, 0, SetBaudRate(v));
}
int16_t NVSOCX_StopSend(NVSOCX_Handle h) {
    CALL(h, 0, StopSend());
}
int16_t NVSOCX_EndWindow(NVSOCX_Handle h) {
    CALL(h, 0, content().endWindow());
}
int16_t NVSOCX_AddTemperature(NVSOCX_Handle h, int16_t v) {
    CALL(h, 0, content().addTemperature(v));
}
int16_t NVSOCX_AddCounter(NVSOCX_Handle h, int32_t t, int32_t y, int32_t mo, int32_t d, int32_t hr,
                          int32_t mi, int32_t s) {
    CALL(h, 0, content().addCounter(t, y, mo, d, hr, mi, s));
}
int16_t NVSOCX_AddDateTime(NVSOCX_Handle h, int16_t v) {
    CALL(h, 0, content().addDateTime(v));
}
int16_t NVSOCX_AddNewLine(NVSOCX_Handle h) {
    CALL(h, 0, content().addNewLine());
}
int16_t NVSOCX_AddNewPage(NVSOCX_Handle h) {
    CALL(h, 0, content().addNewPage());
}
int16_t NVSOCX_AddBeep(NVSOCX_Handle h, int16_t v) {
    CALL(h, 0, content().addBeep(v));
}
int16_t NVSOCX_SetRowSpace(NVSOCX_Handle h, int16_t v) {
    CALL(h, 0, content().setRowSpace(v));
}
int16_t NVSOCX_InsertGraphic(NVSOCX_Handle h, const char* l) {
    CALL(h, 0, content().insertGraphic(l));
}
int16_t NVSOCX_ClearSignMemory(NVSOCX_Handle h, const char* a, int16_t now) {
    CALL(h, 0, ClearSignMemory(a, now));
}
int16_t NVSOCX_SendFiles(NVSOCX_Handle h, const char* a, int16_t clear, int16_t now) {
    CALL(h, 0, SendFiles(a, clear, now));
}
int16_t NVSOCX_IsInSending(NVSOCX_Handle h) {
    CALL(h, 0, IsInSending());
}
int16_t NVSOCX_AdjustTime(NVSOCX_Handle h, const char* a, int16_t now) {
    CALL(h, 0, AdjustTime(a, now));
}
int16_t NVSOCX_ChangeSignAddress(NVSOCX_Handle h, int32_t o, int32_t n) {
    CALL(h, 0, ChangeSignAddress(o, n));
}
int16_t NVSOCX_TurnPowerOn(NVSOCX_Handle h, const char* a) {
    CALL(h, 0, TurnPowerOn(a));
}
int16_t NVSOCX_TurnPowerOff(NVSOCX_Handle h, const char* a) {
    CALL(h, 0, TurnPowerOff(a));
}
int16_t NVSOCX_StartSend(NVSOCX_Handle h, int32_t handle) {
    CALL(h, 0, StartSend(handle));
}
int16_t NVSOCX_SetRunSequence(NVSOCX_Handle h, const char* a, const char* s, int16_t now) {
    CALL(h, 0, SetRunSequence(a, s, now));
}
int16_t NVSOCX_HasStartSendThread(NVSOCX_Handle h) {
    CALL(h, 0, HasStartSendThread());
}
int16_t NVSOCX_AddDisplayChar(NVSOCX_Handle h, int16_t c) {
    CALL(h, 0, content().addDisplayChar(c));
}
void NVSOCX_AboutBox(NVSOCX_Handle) {}

void NVSOCX_SetEventHandlers(NVSOCX_Handle h, NVSOCX_ResultHandler onResult,
                             NVSOCX_PromptHandler onPrompt, NVSOCX_ProgressHandler onProgress,
                             void* user) {
    if (!h) return;
    lumavox::nvs::EventHandlers e;
    e.onResult = onResult;
    e.onPrompt = onPrompt;
    e.onProgress = onProgress;
    e.user = user;
    h->ctrl.setEventHandlers(e);
}

int32_t NVSOCX_DispatchEvents(NVSOCX_Handle h) {
    CALL(h, 0, dispatchEvents());
}

int32_t NVSOCX_EventFd(NVSOCX_Handle h) {
    return h ? h->ctrl.eventFd() : -1;
}

}  // extern "C"

// ---- Calling by dispatch identifier ----------------------------------------

namespace {

enum ParamType : char { S = 's', L = 'l', T = 't' };  // short, long, text

struct MethodInfo {
    int32_t dispid;
    const char* params;  // one letter per parameter
    bool returnsVoid;
};

const MethodInfo kMethods[] = {
    {1, "t", false},     {2, "tt", false},   {3, "", true},          {4, "lll", false},
    {5, "sssss", false}, {6, "s", false},    {7, "s", false},        {8, "s", false},
    {9, "ll", false},    {10, "s", false},   {11, "", false},        {12, "", false},
    {13, "s", false},    {14, "s", false},   {15, "t", false},       {16, "s", false},
    {17, "tl", false},   {18, "s", false},   {19, "l", false},       {20, "", false},
    {21, "", false},     {22, "s", false},   {23, "lllllll", false}, {24, "s", false},
    {25, "", false},     {26, "", false},    {27, "s", false},       {28, "s", false},
    {29, "t", false},    {30, "ts", false},  {31, "tss", false},     {32, "", false},
    {33, "ts", false},   {34, "ll", false},  {35, "t", false},       {36, "t", false},
    {37, "l", false},    {38, "tts", false}, {39, "", false},        {40, "s", false},
    {-552, "", true},
};

struct Arg {
    int32_t n = 0;
    const char* s = nullptr;
};

int16_t call(NVSOCX_Handle h, int32_t id, const Arg* a) {
    switch (id) {
        case 1:
            return NVSOCX_AddRichFile(h, a[0].s);
        case 2:
            return NVSOCX_AddDiskFile(h, a[0].s, a[1].s);
        case 3:
            NVSOCX_ClearContent(h);
            return 0;
        case 4:
            return NVSOCX_SetSignInfo(h, a[0].n, a[1].n, a[2].n);
        case 5:
            return NVSOCX_AddWindow(h, static_cast<int16_t>(a[0].n), static_cast<int16_t>(a[1].n),
                                    static_cast<int16_t>(a[2].n), static_cast<int16_t>(a[3].n),
                                    static_cast<int16_t>(a[4].n));
        case 6:
            return NVSOCX_SetMoveMethod(h, static_cast<int16_t>(a[0].n));
        case 7:
            return NVSOCX_SetFont(h, static_cast<int16_t>(a[0].n));
        case 8:
            return NVSOCX_SetColorIndex(h, static_cast<int16_t>(a[0].n));
        case 9:
            return NVSOCX_SetColorRGB(h, a[0].n, a[1].n);
        case 10:
            return NVSOCX_SetCharProperty(h, static_cast<int16_t>(a[0].n));
        case 11:
            return NVSOCX_SetFlashON(h);
        case 12:
            return NVSOCX_SetFlashOFF(h);
        case 13:
            return NVSOCX_SetSpeed(h, static_cast<int16_t>(a[0].n));
        case 14:
            return NVSOCX_SetPause(h, static_cast<int16_t>(a[0].n));
        case 15:
            return NVSOCX_AddMessage(h, a[0].s);
        case 16:
            return NVSOCX_SetCommuMode(h, static_cast<int16_t>(a[0].n));
        case 17:
            return NVSOCX_SetIPAndPort(h, a[0].s, a[1].n);
        case 18:
            return NVSOCX_SetComport(h, static_cast<int16_t>(a[0].n));
        case 19:
            return NVSOCX_SetBaudRate(h, a[0].n);
        case 20:
            return NVSOCX_StopSend(h);
        case 21:
            return NVSOCX_EndWindow(h);
        case 22:
            return NVSOCX_AddTemperature(h, static_cast<int16_t>(a[0].n));
        case 23:
            return NVSOCX_AddCounter(h, a[0].n, a[1].n, a[2].n, a[3].n, a[4].n, a[5].n, a[6].n);
        case 24:
            return NVSOCX_AddDateTime(h, static_cast<int16_t>(a[0].n));
        case 25:
            return NVSOCX_AddNewLine(h);
        case 26:
            return NVSOCX_AddNewPage(h);
        case 27:
            return NVSOCX_AddBeep(h, static_cast<int16_t>(a[0].n));
        case 28:
            return NVSOCX_SetRowSpace(h, static_cast<int16_t>(a[0].n));
        case 29:
            return NVSOCX_InsertGraphic(h, a[0].s);
        case 30:
            return NVSOCX_ClearSignMemory(h, a[0].s, static_cast<int16_t>(a[1].n));
        case 31:
            return NVSOCX_SendFiles(h, a[0].s, static_cast<int16_t>(a[1].n),
                                    static_cast<int16_t>(a[2].n));
        case 32:
            return NVSOCX_IsInSending(h);
        case 33:
            return NVSOCX_AdjustTime(h, a[0].s, static_cast<int16_t>(a[1].n));
        case 34:
            return NVSOCX_ChangeSignAddress(h, a[0].n, a[1].n);
        case 35:
            return NVSOCX_TurnPowerOn(h, a[0].s);
        case 36:
            return NVSOCX_TurnPowerOff(h, a[0].s);
        case 37:
            return NVSOCX_StartSend(h, a[0].n);
        case 38:
            return NVSOCX_SetRunSequence(h, a[0].s, a[1].s, static_cast<int16_t>(a[2].n));
        case 39:
            return NVSOCX_HasStartSendThread(h);
        case 40:
            return NVSOCX_AddDisplayChar(h, static_cast<int16_t>(a[0].n));
        case -552:
            NVSOCX_AboutBox(h);
            return 0;
        default:
            return 0;
    }
}

}  // namespace

extern "C" int32_t NVSOCX_Invoke(NVSOCX_Handle h, int32_t dispid, const NVSOCX_Variant* args,
                                 int32_t count, NVSOCX_Variant* result) {
    if (!h || (count > 0 && !args) || count < 0) return NVSOCX_E_INVALIDARG;
    const MethodInfo* m = nullptr;
    for (const auto& info : kMethods)
        if (info.dispid == dispid) m = &info;
    if (!m) return NVSOCX_E_MEMBERNOTFOUND;
    size_t n = std::char_traits<char>::length(m->params);
    if (static_cast<size_t>(count) != n) return NVSOCX_E_BADPARAMCOUNT;
    Arg a[8];
    for (size_t i = 0; i < n; ++i) {
        const NVSOCX_Variant& v = args[i];
        char p = m->params[i];
        if (p == T) {
            if (v.type != NVSOCX_VT_STR) return NVSOCX_E_TYPEMISMATCH;
            a[i].s = v.value.str;
            continue;
        }
        int32_t value;
        if (v.type == NVSOCX_VT_I2)
            value = v.value.i2;
        else if (v.type == NVSOCX_VT_I4)
            value = v.value.i4;
        else
            return NVSOCX_E_TYPEMISMATCH;
        if (p == S && (value < INT16_MIN || value > INT16_MAX)) return NVSOCX_E_TYPEMISMATCH;
        a[i].n = value;
    }
    int16_t r = 0;
    try {
        r = call(h, dispid, a);
    } catch (...) {
        return NVSOCX_E_INVALIDARG;
    }
    if (result) {
        if (m->returnsVoid) {
            result->type = NVSOCX_VT_EMPTY;
            result->value.i4 = 0;
        } else {
            result->type = NVSOCX_VT_I2;
            result->value.i2 = r;
        }
    }
    return NVSOCX_OK;
}

// ---- Self-registration ------------------------------------------------------

namespace {

constexpr int32_t kSelfRegClassError = static_cast<int32_t>(0x80040201u);

std::string libraryPath() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&NVSOCX_Create), &info) && info.dli_fname)
        return info.dli_fname;
    return {};
}

}  // namespace

extern "C" int32_t DllRegisterServer(void) {
    try {
        using namespace lumavox::nvs;
        std::string path = libraryPath();
        if (path.empty()) return kSelfRegClassError;
        std::error_code ec;
        std::filesystem::create_directories(lumavox::userStoreDir(), ec);
        auto store = lumavox::Profile::load(lumavox::userStorePath());
        std::string section = classSection(NVSOCX_CLSID);
        store.setString(section, kServerKey, std::filesystem::absolute(path).string());
        store.setString(section, kProgIdKey, NVSOCX_PROGID);
        store.setString(section, kTypeLibKey, NVSOCX_LIBID);
        store.setString(NVSOCX_PROGID, kClassIdKey, NVSOCX_CLSID);
        std::string error;
        return store.save(error) ? 0 : kSelfRegClassError;
    } catch (...) {
        return kSelfRegClassError;
    }
}

extern "C" int32_t DllUnregisterServer(void) {
    try {
        using namespace lumavox::nvs;
        auto store = lumavox::Profile::load(lumavox::userStorePath());
        if (!store.hasSection(classSection(NVSOCX_CLSID)) && !store.hasSection(NVSOCX_PROGID))
            return 0;
        store.removeSection(classSection(NVSOCX_CLSID));
        store.removeSection(NVSOCX_PROGID);
        std::string error;
        return store.save(error) ? 0 : kSelfRegClassError;
    } catch (...) {
        return kSelfRegClassError;
    }
}
