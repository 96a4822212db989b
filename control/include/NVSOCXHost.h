/*
 * Host-side helper: creates a control by its class identifier through the
 * record DllRegisterServer left in the per-user store, without linking the
 * control's library. The host then drives the control through its dispatch
 * entry (Invoke) and events, as a script host binding by number does.
 *
 * Link the static library nvsocx_host (it uses dlopen); include NVSOCX.h for
 * the types and dispatch identifiers.
 */
#ifndef NVSOCX_HOST_H
#define NVSOCX_HOST_H

#include "NVSOCX.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct NVSOCX_Object {
    void* library;         /* the loaded libNVSOCX.so */
    NVSOCX_Handle control; /* the control created in it */
    int32_t (*Invoke)(NVSOCX_Handle, int32_t, const NVSOCX_Variant*, int32_t, NVSOCX_Variant*);
    void (*SetEventHandlers)(NVSOCX_Handle, NVSOCX_ResultHandler, NVSOCX_PromptHandler,
                             NVSOCX_ProgressHandler, void*);
    int32_t (*DispatchEvents)(NVSOCX_Handle);
    int32_t (*EventFd)(NVSOCX_Handle);
    void (*Destroy)(NVSOCX_Handle);
} NVSOCX_Object;

/* Loads the library recorded for the class identifier (e.g. NVSOCX_CLSID, in
   any letter case) and creates a control in it. Null when the class is not
   registered, the library cannot be loaded, an entry point is missing or the
   control cannot be created. */
NVSOCX_Object* NVSOCX_CreateByClassId(const char* clsid);
/* Destroys the control and unloads the library. Null is allowed. */
void NVSOCX_ReleaseObject(NVSOCX_Object* object);

#ifdef __cplusplus
}
#endif

#endif /* NVSOCX_HOST_H */
