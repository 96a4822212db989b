/*
 * NVSOCX — the scriptable sign control, as a C library (libNVSOCX.so).
 *
 * A host composes sign content with the content functions, chooses a
 * connection, starts the control's send thread with NVSOCX_StartSend and queues
 * transmissions (NVSOCX_SendFiles, NVSOCX_AdjustTime, ...). The thread carries
 * them out; progress and outcomes arrive as events.
 *
 * Identities:
 *   type library      NVSOCXLib            {8BB88F25-3C97-4641-8918-477DD572C3F9}
 *   control class     NVSOCX               {97DD8DB0-3F99-4FD9-8DC9-E86770BA403C}
 *                     ProgID "NVSOCX.NVSOCXCtrl.1"
 *   dispatch iface    _DNVSOCX             {36A8547B-A24A-4786-8C54-EC0847165F2A}
 *   event iface       _DNVSOCXEvents       {9A50293E-5C96-4804-B786-B6DF54F177FC}
 *   property page     ProgID "NVSOCX.NVSOCXPropPage.1"
 *
 * Conventions:
 *   - Every function but NVSOCX_Create, NVSOCX_Version and the self-registration
 *     pair takes the opaque handle from NVSOCX_Create. A null handle makes a
 *     function return 0 (void functions do nothing).
 *   - short is int16_t, long is int32_t; strings are NUL-terminated byte strings
 *     in the sign's single-byte character set. Nothing is thrown; no C++ type
 *     crosses this interface.
 *   - One control is used from one host thread at a time. Events are raised only
 *     inside NVSOCX_DispatchEvents, on the thread that calls it. A host that does
 *     not dispatch gets no events and no further pieces are sent: each next piece
 *     is handed to the send thread from the dispatch.
 *
 * Queue results (NVSOCX_ClearSignMemory, NVSOCX_SendFiles, NVSOCX_AdjustTime,
 * NVSOCX_ChangeSignAddress, NVSOCX_TurnPowerOn, NVSOCX_TurnPowerOff,
 * NVSOCX_SetRunSequence), named by the NVSOCX_QUEUE... constants below:
 *   -1  send-at-once asked but the send thread does not run
 *    0  the address string is null or not valid (hex addresses 00-FF separated
 *       by single commas, e.g. "1,0A,64"); for SetRunSequence also a sequence
 *       holding control bytes or "^"
 *   -2  send-at-once asked while the control is busy: a transmission is in
 *       progress, or (commands other than SendFiles) jobs wait in the queue
 *  -10  ChangeSignAddress only: an address is 0 or above 255, or both are equal
 *  -20  SendFiles only: the content holds no built text file
 *  -21  SendFiles only: a file's body exceeds the 10 MiB work area
 *    1  queued (and started when sending at once)
 * Without send-at-once the jobs stay queued and go out with the next
 * NVSOCX_SendFiles that sends at once.
 *
 * Content results: -6 (NVSOCX_NO_CURRENT_FILE) means there is no current built
 * file to add to (for additions other than AddRichFile, AddDiskFile,
 * ClearContent, AddWindow and EndWindow this is checked first). Other results
 * per function below.
 *
 * Events:
 *   onResult(user, eventId, result, text)
 *     eventId 1 connection (result 1 opened, 0 failed; the thread has ended)
 *     eventId 2 job: 0 failed, 1 sent and awaiting the sign's reply,
 *               4 the sign reported an error, 5 no reply in time,
 *               6 no connection — 0, 4, 5, 6 end the transmission
 *     eventId 3 reading the reply failed (ends the transmission)
 *     eventId 4 information (result 0)
 *     eventId 100 all jobs done (result 0)
 *   onPrompt(user, text)      "<job> - please wait..." when a job starts; the
 *                             sign's reply text after a confirmed job
 *   onProgress(user, type, step)
 *     type 1 total bytes of a transmission, 3 bytes of a job when it starts,
 *     2 bytes of each piece (at most 128) once the send thread has written it
 *     (a piece whose write failed is not counted)
 *
 * Tests and benchmarks may shorten the waits with the environment setting
 * NVSOCX_TEST_TIMINGS="PAUSE,REPLY,CONNECT" (milliseconds; read by
 * NVSOCX_Create): the pause after the sign confirmed an allocation or
 * clear-memory command (2000; jobs that expect no reply are followed at once),
 * the reply limit (20000) and the connect limit (15000).
 */
#ifndef NVSOCX_H
#define NVSOCX_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define NVSOCX_API __attribute__((visibility("default")))
#else
#define NVSOCX_API
#endif

#define NVSOCX_CLSID "{97DD8DB0-3F99-4FD9-8DC9-E86770BA403C}"
#define NVSOCX_PROGID "NVSOCX.NVSOCXCtrl.1"
#define NVSOCX_LIBID "{8BB88F25-3C97-4641-8918-477DD572C3F9}"
#define NVSOCX_IID_DISPATCH "{36A8547B-A24A-4786-8C54-EC0847165F2A}"
#define NVSOCX_IID_EVENTS "{9A50293E-5C96-4804-B786-B6DF54F177FC}"
#define NVSOCX_PROPPAGE_PROGID "NVSOCX.NVSOCXPropPage.1"

/* Dispatch identifiers of the methods (NVSOCX_Invoke). */
enum {
    NVSOCX_DISPID_AddRichFile = 1,
    NVSOCX_DISPID_AddDiskFile = 2,
    NVSOCX_DISPID_ClearContent = 3,
    NVSOCX_DISPID_SetSignInfo = 4,
    NVSOCX_DISPID_AddWindow = 5,
    NVSOCX_DISPID_SetMoveMethod = 6,
    NVSOCX_DISPID_SetFont = 7,
    NVSOCX_DISPID_SetColorIndex = 8,
    NVSOCX_DISPID_SetColorRGB = 9,
    NVSOCX_DISPID_SetCharProperty = 10,
    NVSOCX_DISPID_SetFlashON = 11,
    NVSOCX_DISPID_SetFlashOFF = 12,
    NVSOCX_DISPID_SetSpeed = 13,
    NVSOCX_DISPID_SetPause = 14,
    NVSOCX_DISPID_AddMessage = 15,
    NVSOCX_DISPID_SetCommuMode = 16,
    NVSOCX_DISPID_SetIPAndPort = 17,
    NVSOCX_DISPID_SetComport = 18,
    NVSOCX_DISPID_SetBaudRate = 19,
    NVSOCX_DISPID_StopSend = 20,
    NVSOCX_DISPID_EndWindow = 21,
    NVSOCX_DISPID_AddTemperature = 22,
    NVSOCX_DISPID_AddCounter = 23,
    NVSOCX_DISPID_AddDateTime = 24,
    NVSOCX_DISPID_AddNewLine = 25,
    NVSOCX_DISPID_AddNewPage = 26,
    NVSOCX_DISPID_AddBeep = 27,
    NVSOCX_DISPID_SetRowSpace = 28,
    NVSOCX_DISPID_InsertGraphic = 29,
    NVSOCX_DISPID_ClearSignMemory = 30,
    NVSOCX_DISPID_SendFiles = 31,
    NVSOCX_DISPID_IsInSending = 32,
    NVSOCX_DISPID_AdjustTime = 33,
    NVSOCX_DISPID_ChangeSignAddress = 34,
    NVSOCX_DISPID_TurnPowerOn = 35,
    NVSOCX_DISPID_TurnPowerOff = 36,
    NVSOCX_DISPID_StartSend = 37,
    NVSOCX_DISPID_SetRunSequence = 38,
    NVSOCX_DISPID_HasStartSendThread = 39,
    NVSOCX_DISPID_AddDisplayChar = 40,
    NVSOCX_DISPID_AboutBox = -552
};

typedef struct NVSOCX_Control* NVSOCX_Handle;

/* ---- Result codes (the values are part of the interface) ------------------ */

/* Queue results. */
#define NVSOCX_QUEUED 1
#define NVSOCX_QUEUE_INVALID 0            /* bad address string (or run sequence) */
#define NVSOCX_QUEUE_NO_THREAD (-1)       /* send-at-once without a send thread */
#define NVSOCX_QUEUE_BUSY (-2)            /* send-at-once while busy */
#define NVSOCX_QUEUE_BAD_ADDRESSES (-10)  /* ChangeSignAddress: 0, above 255, or equal */
#define NVSOCX_QUEUE_NO_TEXT_FILE (-20)   /* SendFiles: no built text file */
#define NVSOCX_QUEUE_BODY_TOO_LARGE (-21) /* SendFiles: a body exceeds the work area */
/* NVSOCX_StartSend while the send thread already runs. */
#define NVSOCX_START_RUNNING (-1)
/* Content additions without a current built file. */
#define NVSOCX_NO_CURRENT_FILE (-6)

/* ---- Library version ------------------------------------------------------- */

/* The interface version this header describes: NVSOCX_VERSION holds the major
   number in bits 16-23, the minor in bits 8-15 and the patch level in bits 0-7.
   The major number is the one in the library's file name (libNVSOCX.so.1) and
   in its symbol version node (NVSOCX_1); it changes only when a function is
   removed or changes meaning. The minor number grows when functions are
   added. */
#define NVSOCX_VERSION_MAJOR 1
#define NVSOCX_VERSION_MINOR 0
#define NVSOCX_VERSION_PATCH 0
#define NVSOCX_VERSION \
    ((NVSOCX_VERSION_MAJOR << 16) | (NVSOCX_VERSION_MINOR << 8) | NVSOCX_VERSION_PATCH)

/* The version of the loaded library, in the layout of NVSOCX_VERSION. A host
   built against this header works with a library of the same major number and
   the same or a higher minor number. */
NVSOCX_API int32_t NVSOCX_Version(void);

/* ---- Life cycle ---------------------------------------------------------- */

/* A new control, or null on failure. */
NVSOCX_API NVSOCX_Handle NVSOCX_Create(void);
/* Stops the control's send thread (as NVSOCX_StopSend) and frees it. */
NVSOCX_API void NVSOCX_Destroy(NVSOCX_Handle h);

/* ---- Content (dispatch ids 1-15, 21-29, 40) ------------------------------ */

/* New built text file, made current. 1; 0 null/empty name or a name holding
   control bytes, "$", "^" or "="; -1 a file of that name (any letter case) exists. */
NVSOCX_API int16_t NVSOCX_AddRichFile(NVSOCX_Handle h, const char* pstrFileName);
/* Disk file (.txt .bmp .gif .png, any case), read whole, placed before the
   built files. Named by the label, or by the file name when the label is empty.
   1 added (or a file of that name exists: nothing added); -3 empty path, other
   extension, or a name holding control bytes, "$", "^" or "="; -2 not a readable
   regular file, or its body would exceed the 10 MiB work area. */
NVSOCX_API int16_t NVSOCX_AddDiskFile(NVSOCX_Handle h, const char* pstrFilePathName,
                                      const char* pstrFileLable);
/* Removes every file; queued jobs are not touched. */
NVSOCX_API void NVSOCX_ClearContent(NVSOCX_Handle h);
/* Sign width, height (dots) and colour mode. 1; 0 when the width or the
   height is outside 1-65535 (nothing is stored). Fonts already set keep the
   tag chosen for the height of that moment. */
NVSOCX_API int16_t NVSOCX_SetSignInfo(NVSOCX_Handle h, int32_t iSignW, int32_t iSignH,
                                      int32_t iSignColor);
/* Window in the current file. 1; -1 width <= 23 or > sign width; -2 height <= 0
   or > sign height; -3 x < 0 or x+width > sign width; -4 y < 0 or y+height >
   sign height; -5 alignment outside 0-8; -6 no current built file. Later
   additions go into the window until NVSOCX_EndWindow. */
NVSOCX_API int16_t NVSOCX_AddWindow(NVSOCX_Handle h, int16_t iX, int16_t iY, int16_t iW, int16_t iH,
                                    int16_t iAlign);
/* Move-in effect 0-43. 1; -1 outside 0-43 (nothing added). */
NVSOCX_API int16_t NVSOCX_SetMoveMethod(NVSOCX_Handle h, int16_t iMoveMethod);
/* Font 0-8 (sign height <= 16) or 0-14 (taller); other values give font 1. The
   font's tag is taken from the table of the sign height set at this call; a
   later NVSOCX_SetSignInfo does not change it. 1. */
NVSOCX_API int16_t NVSOCX_SetFont(NVSOCX_Handle h, int16_t iFont);
/* Colour 0-25; other values give colour 2. 1. */
NVSOCX_API int16_t NVSOCX_SetColorIndex(NVSOCX_Handle h, int16_t iColorIndex);
/* Text and background colour as 0xBBGGRR-style 24-bit numbers. 1. */
NVSOCX_API int16_t NVSOCX_SetColorRGB(NVSOCX_Handle h, int32_t lTextColor, int32_t lBkColor);
/* 0 normal, 1 bold, 2 widen. 1. */
NVSOCX_API int16_t NVSOCX_SetCharProperty(NVSOCX_Handle h, int16_t iCharProperty);
/* Flash on / off. 1. */
NVSOCX_API int16_t NVSOCX_SetFlashON(NVSOCX_Handle h);
NVSOCX_API int16_t NVSOCX_SetFlashOFF(NVSOCX_Handle h);
/* Speed 0-7 (other values: 3). 1. */
NVSOCX_API int16_t NVSOCX_SetSpeed(NVSOCX_Handle h, int16_t iSpeed);
/* Pause 0-7 (other values: 2). 1. */
NVSOCX_API int16_t NVSOCX_SetPause(NVSOCX_Handle h, int16_t iPause);
/* Text; each byte is one character, bytes 0x80-0xFF widened with sign. 1; -1
   null or empty. */
NVSOCX_API int16_t NVSOCX_AddMessage(NVSOCX_Handle h, const char* pstrMsg);
/* Closes the window that ends the current file. 1; 0 the file does not end
   with a window; -6 no current built file. */
NVSOCX_API int16_t NVSOCX_EndWindow(NVSOCX_Handle h);
/* Temperature 0-2. 1; -1 other types. */
NVSOCX_API int16_t NVSOCX_AddTemperature(NVSOCX_Handle h, int16_t iTemperatureType);
/* Counter: type 16-22 or 32-38 (-1), month 1-12 (-2), day 1-31 (-3), hour 0-23
   (-4), minute 0-59 (-5), second 0-59 (-7); the year is not checked. 1. */
NVSOCX_API int16_t NVSOCX_AddCounter(NVSOCX_Handle h, int32_t lType, int32_t lYear, int32_t lMonth,
                                     int32_t lDay, int32_t lHour, int32_t lMinute, int32_t lSecond);
/* Date/time field by key (low byte): 0-3, 16-20, 32, 33, 48, 64, 80-83, 96-99,
   112-114, 128-132, 144, 145. 1; -1 other keys. */
NVSOCX_API int16_t NVSOCX_AddDateTime(NVSOCX_Handle h, int16_t iDateTimeType);
/* New line / new page. 1. */
NVSOCX_API int16_t NVSOCX_AddNewLine(NVSOCX_Handle h);
NVSOCX_API int16_t NVSOCX_AddNewPage(NVSOCX_Handle h);
/* Beep 0-3. 1; -1 other types. */
NVSOCX_API int16_t NVSOCX_AddBeep(NVSOCX_Handle h, int16_t iBeepType);
/* Row space 0-9 (other values: 0). Returns 0 once added. */
NVSOCX_API int16_t NVSOCX_SetRowSpace(NVSOCX_Handle h, int16_t iRowSpace);
/* Graphic by label (a disk file's name). 1; -1 null, empty, or holding control
   bytes, "$", "^" or "=". */
NVSOCX_API int16_t NVSOCX_InsertGraphic(NVSOCX_Handle h, const char* pstrGraphicFileLable);
/* One 16-bit character (its low byte goes to the sign). Returns 0 once added. */
NVSOCX_API int16_t NVSOCX_AddDisplayChar(NVSOCX_Handle h, int16_t sDisplayChar);

/* ---- Connection (dispatch ids 16-20, 37, 39) ----------------------------- */

/* 0 host-opened serial descriptor, 1 own serial port, 2 TCP, 3 modem (not
   opened by the control). 1 stored; 0 other values. */
NVSOCX_API int16_t NVSOCX_SetCommuMode(NVSOCX_Handle h, int16_t iCommuMode);
/* IP address (dotted or a host name) and port. 1. */
NVSOCX_API int16_t NVSOCX_SetIPAndPort(NVSOCX_Handle h, const char* pstrIPAddress, int32_t lIPPort);
/* Serial port COM n, 1-254 (device from the per-user store's [Comports] "COMn",
   else /dev/ttyS(n-1)). 1 stored; 0 other values (the old port is kept). */
NVSOCX_API int16_t NVSOCX_SetComport(NVSOCX_Handle h, int16_t iComport);
/* Baud rate of the own serial port. 1. */
NVSOCX_API int16_t NVSOCX_SetBaudRate(NVSOCX_Handle h, int32_t iBaudRate);
/* Starts the send thread; empties both job queues. hComportHandle -1 uses the
   configured mode; any other value is an open descriptor of the host (mode 0;
   never closed by the control). NVSOCX_START_RUNNING (-1) when the thread
   already runs; else 1. The connection's outcome arrives as event (1, 1 or
   0). */
NVSOCX_API int16_t NVSOCX_StartSend(NVSOCX_Handle h, int32_t hComportHandle);
/* Closes the connection, stops the thread, drops its pending notifications and
   empties both job queues. 1. */
NVSOCX_API int16_t NVSOCX_StopSend(NVSOCX_Handle h);
/* 1 while the send thread runs, else 0. */
NVSOCX_API int16_t NVSOCX_HasStartSendThread(NVSOCX_Handle h);
/* 1 while the send thread runs and a transmission has jobs left, else 0. */
NVSOCX_API int16_t NVSOCX_IsInSending(NVSOCX_Handle h);

/* ---- Transmissions (dispatch ids 30, 31, 33-36, 38): queue results -------- */

NVSOCX_API int16_t NVSOCX_ClearSignMemory(NVSOCX_Handle h, const char* pstrSignAddress,
                                          int16_t iSendAtOnce);
NVSOCX_API int16_t NVSOCX_SendFiles(NVSOCX_Handle h, const char* pstrSignAddress,
                                    int16_t iClearSignMemory, int16_t iSendAtOnce);
NVSOCX_API int16_t NVSOCX_AdjustTime(NVSOCX_Handle h, const char* pstrSignAddress,
                                     int16_t iSendAtOnce);
/* NVSOCX_QUEUE_BAD_ADDRESSES (-10) when either address is 0 or above 255, or
   both are equal; else a queue result (always sent at once). */
NVSOCX_API int16_t NVSOCX_ChangeSignAddress(NVSOCX_Handle h, int32_t lOldSignAddress,
                                            int32_t lNewSignAddress);
NVSOCX_API int16_t NVSOCX_TurnPowerOn(NVSOCX_Handle h, const char* pstrSignAddress);
NVSOCX_API int16_t NVSOCX_TurnPowerOff(NVSOCX_Handle h, const char* pstrSignAddress);
/* pstrSequence: the file names, each between "$" signs, e.g. "$Main$$Logo$". */
NVSOCX_API int16_t NVSOCX_SetRunSequence(NVSOCX_Handle h, const char* pstrSignAddress,
                                         const char* pstrSequence, int16_t iSendAtOnce);

/* No window system here: does nothing (dispatch id -552). */
NVSOCX_API void NVSOCX_AboutBox(NVSOCX_Handle h);

/* ---- Calling by dispatch identifier --------------------------------------- */

enum {
    NVSOCX_VT_EMPTY = 0, /* no value (void result) */
    NVSOCX_VT_I2 = 2,    /* short */
    NVSOCX_VT_I4 = 3,    /* long */
    NVSOCX_VT_STR = 8    /* const char* (may be null) */
};

typedef struct NVSOCX_Variant {
    int32_t type; /* NVSOCX_VT_... */
    union {
        int16_t i2;
        int32_t i4;
        const char* str;
    } value;
} NVSOCX_Variant;

/* NVSOCX_Invoke results. */
#define NVSOCX_OK 0
#define NVSOCX_E_MEMBERNOTFOUND (-1) /* no method with that dispatch identifier */
#define NVSOCX_E_BADPARAMCOUNT (-2)  /* count differs from the method's parameters */
#define NVSOCX_E_TYPEMISMATCH (-3)   /* an argument of the wrong type, or out of range */
#define NVSOCX_E_INVALIDARG (-4)     /* null handle, or null args with count > 0 */

/* Calls the method `dispid` with `count` arguments in declaration order. Short
   parameters accept I2, or I4 within -32768..32767; long parameters accept I2
   or I4; string parameters accept STR. The method's result goes to *result
   (when not null) as I2, or EMPTY for void methods. Returns NVSOCX_OK or an
   NVSOCX_E_ code; the method is not called on an error. */
NVSOCX_API int32_t NVSOCX_Invoke(NVSOCX_Handle h, int32_t dispid, const NVSOCX_Variant* args,
                                 int32_t count, NVSOCX_Variant* result);

/* ---- Events ---------------------------------------------------------------- */

typedef void (*NVSOCX_ResultHandler)(void* user, int16_t eventId, int16_t result, const char* text);
typedef void (*NVSOCX_PromptHandler)(void* user, const char* text);
typedef void (*NVSOCX_ProgressHandler)(void* user, int16_t type, int32_t step);

/* Sets the event handlers (any may be null: that event is dropped). */
NVSOCX_API void NVSOCX_SetEventHandlers(NVSOCX_Handle h, NVSOCX_ResultHandler onResult,
                                        NVSOCX_PromptHandler onPrompt,
                                        NVSOCX_ProgressHandler onProgress, void* user);
/* Raises the waiting events on the calling thread and hands the next piece to
   the send thread. Returns the number of notifications handled (0 when none). */
NVSOCX_API int32_t NVSOCX_DispatchEvents(NVSOCX_Handle h);
/* A descriptor that becomes readable when events wait (poll/select it, then
   call NVSOCX_DispatchEvents). Owned by the control; -1 for a null handle. */
NVSOCX_API int32_t NVSOCX_EventFd(NVSOCX_Handle h);

/* ---- Self-registration ----------------------------------------------------- */

/* Records the class identifier, ProgID and this library's path in the per-user
   store (LUMAVOX_CONFIG_DIR or $XDG_CONFIG_HOME/...). 0 on success, nonzero
   (0x80040201 as int32) when the store cannot be written. */
NVSOCX_API int32_t DllRegisterServer(void);
/* Removes that record. 0 on success, nonzero when the store cannot be written. */
NVSOCX_API int32_t DllUnregisterServer(void);

#ifdef __cplusplus
}
#endif

#endif /* NVSOCX_H */
