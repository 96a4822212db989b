// Creation of a control by class identifier through the per-user store's record.
#include "NVSOCXHost.h"

#include <dlfcn.h>

#include <new>
#include <string>

#include "../src/Registration.h"
#include "platform/Profile.h"

extern "C" NVSOCX_Object* NVSOCX_CreateByClassId(const char* clsid) {
    if (!clsid || !*clsid) return nullptr;
    try {
        auto store = lumavox::Profile::load(lumavox::userStorePath());
        std::string path =
            store.getString(lumavox::nvs::classSection(clsid), lumavox::nvs::kServerKey);
        if (path.empty()) return nullptr;
        void* lib = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!lib) return nullptr;
        auto* o = new (std::nothrow) NVSOCX_Object{};
        if (!o) {
            ::dlclose(lib);
            return nullptr;
        }
        o->library = lib;
        auto create = reinterpret_cast<NVSOCX_Handle (*)()>(::dlsym(lib, "NVSOCX_Create"));
        o->Invoke = reinterpret_cast<decltype(o->Invoke)>(::dlsym(lib, "NVSOCX_Invoke"));
        o->SetEventHandlers = reinterpret_cast<decltype(o->SetEventHandlers)>(
            ::dlsym(lib, "NVSOCX_SetEventHandlers"));
        o->DispatchEvents =
            reinterpret_cast<decltype(o->DispatchEvents)>(::dlsym(lib, "NVSOCX_DispatchEvents"));
        o->EventFd = reinterpret_cast<decltype(o->EventFd)>(::dlsym(lib, "NVSOCX_EventFd"));
        o->Destroy = reinterpret_cast<decltype(o->Destroy)>(::dlsym(lib, "NVSOCX_Destroy"));
        if (create && o->Invoke && o->SetEventHandlers && o->DispatchEvents && o->EventFd &&
            o->Destroy)
            o->control = create();
        if (!o->control) {
            ::dlclose(lib);
            delete o;
            return nullptr;
        }
        return o;
    } catch (...) {
        return nullptr;
    }
}

extern "C" void NVSOCX_ReleaseObject(NVSOCX_Object* o) {
    if (!o) return;
    if (o->control && o->Destroy) o->Destroy(o->control);
    if (o->library) ::dlclose(o->library);
    delete o;
}
