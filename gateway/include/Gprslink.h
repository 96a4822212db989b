/*
 * Gprslink: the GPRS gateway library.
 *
 * GPRS data-terminal units (DTUs) in the field carry a sign's serial line over
 * a GPRS link. They connect to a TCP server run by this library and identify
 * themselves with a registration record; the host fetches each identified DTU
 * as a client handle and exchanges bytes with it. A DTU on a serial line can be
 * configured through a text dialogue.
 *
 * The library exports exactly the 29 DTU_ functions of the interface plus the
 * version query DTU_GetLibraryVersion, all in the symbol version node
 * GPRSLINK_1; nothing else is visible.
 *
 * Conventions of every function below:
 * - A handle (DTU_HANDLE) is opaque. Handles are created by DTU_AddCOM,
 *   DTU_AddNetServer and DTU_GetNewConnectedClient and released with
 *   DTU_Delete. A null, unknown or already deleted handle gives the neutral
 *   result of the function (0, or null) and does nothing.
 * - Results are reported by return values only; nothing is shown or logged,
 *   and no function throws.
 * - Strings cross as NUL-terminated single-byte text. Output buffers are
 *   supplied by the caller and must be at least as large as stated with each
 *   function; a null output pointer is skipped.
 * - Byte buffers with a negative or zero length, or a null pointer, transfer
 *   nothing.
 * - Accepting connections, identification and receiving run on an I/O thread
 *   owned by the library: the host need not call in for them to happen.
 *   DTU_GetNewConnectedClient and DTU_IsClientAvailable may be called from any
 *   thread; a caller uses any other handle from one thread at a time.
 *
 * Bounds under load. What the library holds for nobody yet is bounded, so that
 * peers cannot use up the process's memory or descriptors, even while the
 * host fetches nothing:
 * - Pending connections (accepted, registration record not yet complete): at
 *   most a quarter of the process's descriptor limit (RLIMIT_NOFILE, read
 *   anew as connections arrive), at least 16 and at most 4096, for all servers
 *   together. When the list is full the oldest pending connection is closed.
 *   A connection whose record has not arrived after 100,000 ms, or whose peer
 *   left before sending it, is closed.
 * - Identified connections not yet fetched with DTU_GetNewConnectedClient: at
 *   most the same number per server; when the queue is full the oldest
 *   queued connection is closed to make room for the new one. A queued
 *   connection whose DTU has gone is dropped, with what it had sent, within
 *   an identification period (200 ms).
 * - Received bytes the host has not taken: at most 1 MiB per connection, and
 *   a budget of 32 MiB for all connections together (counting what each
 *   connection holds beyond its first KiB). When the budget is spent, the
 *   connection holding the most gives up its oldest bytes first; a connection
 *   that itself holds the most overwrites its own oldest bytes.
 * - Descriptor reserve: together the two bounds above leave at least half of
 *   the descriptor limit to the host. Should the process run out all the same,
 *   a server closes the oldest connection the library holds for nobody
 *   (pending first, then queued) and goes on accepting; when the library holds
 *   none, the server takes the newcomer with a descriptor it keeps in reserve
 *   and closes it at once, so that its accept queue never stalls.
 */
#ifndef GPRSLINK_H
#define GPRSLINK_H

#if defined(GPRSLINK_BUILD)
#define GPRSLINK_API __attribute__((visibility("default")))
#else
#define GPRSLINK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A device: a serial port with a DTU on it, a listening server, or one DTU
 * connected to a server. */
typedef struct DtuDevice* DTU_HANDLE;

/* Minimum sizes of the caller's output buffers, in bytes, NUL included. */
#define DTU_IP_ADDRESS_SIZE 16 /* "%d.%d.%d.%d" */
#define DTU_FIELD_A_SIZE 11    /* device type, record bytes 0-9 */
#define DTU_FIELD_B_SIZE 9     /* device name, record bytes 11-18 */
#define DTU_FIELD_C_SIZE 11    /* device ID, record bytes 41-50 */
#define DTU_FIELD_D_SIZE 12    /* phone number, record bytes 20-30 */
/* Parameter names and values of the configuration dialogue: never longer than
 * the DTU's whole parameter list as the library keeps it. */
#define DTU_CONFIG_TEXT_SIZE 3076

/* Results of the configuration dialogue (DTU_ConfigRead, DTU_ConfigWrite; the
 * other configuration functions give DTU_CONFIG_OK or DTU_CONFIG_FAILED). The
 * values are part of the interface. */
#define DTU_CONFIG_OK 1
#define DTU_CONFIG_FAILED 0      /* no usable reply, or the command was not sent */
#define DTU_CONFIG_ERR_CMD (-1)  /* the DTU answered "ERR CMD" */
#define DTU_CONFIG_ERR_DATA (-2) /* the DTU answered "ERR DATA" */

/* The interface version this header describes: GPRSLINK_VERSION holds the
 * major number in bits 16-23, the minor in bits 8-15 and the patch level in
 * bits 0-7. The major number is the one in the library's file name
 * (libGprslink.so.1) and in its symbol version node (GPRSLINK_1); it changes
 * only when a function is removed or changes meaning. The minor number grows
 * when functions are added. */
#define GPRSLINK_VERSION_MAJOR 1
#define GPRSLINK_VERSION_MINOR 0
#define GPRSLINK_VERSION_PATCH 0
#define GPRSLINK_VERSION \
    ((GPRSLINK_VERSION_MAJOR << 16) | (GPRSLINK_VERSION_MINOR << 8) | GPRSLINK_VERSION_PATCH)

/* Parity codes of DTU_AddCOM. */
#define DTU_PARITY_NONE 0
#define DTU_PARITY_ODD 1
#define DTU_PARITY_EVEN 2
#define DTU_PARITY_MARK 3
#define DTU_PARITY_SPACE 4

/* ---- Library version ----------------------------------------------------- */

/* The version of the loaded library, in the layout of GPRSLINK_VERSION. A host
 * built against this header works with a library of the same major number and
 * the same or a higher minor number. */
GPRSLINK_API int DTU_GetLibraryVersion(void);

/* ---- Creating and deleting handles ------------------------------------- */

/* A serial device on COM port `comNumber` (the device path comes from the
 * "Comports" section of the per-user store, key "COM<n>"; default
 * /dev/ttyS<n-1>). dataBits 5-8; parity as DTU_PARITY_*; stopBits 1 gives one
 * stop bit, any other value two. The port is not opened yet. Null only when
 * memory runs out. */
GPRSLINK_API DTU_HANDLE DTU_AddCOM(int comNumber, int baudRate, int dataBits, int parity,
                                   int stopBits);

/* A TCP server on `port` (0-65535), bound to the IPv4 address `localIp` (null
 * or empty: all local addresses), that accepts only DTUs whose record carries
 * `password` (null or empty: any). Not listening yet: call DTU_Init. Null only
 * when memory runs out. */
GPRSLINK_API DTU_HANDLE DTU_AddNetServer(const char* localIp, int port, const char* password);

/* The oldest connection of `server` that finished identification, as a new
 * client handle that owns the connection, or null when none waits. The caller
 * deletes the handle with DTU_Delete. A DTU that announced the framed protocol
 * gives a framed client handle. The queue is bounded and drops DTUs that left
 * (see "Bounds under load" above). */
GPRSLINK_API DTU_HANDLE DTU_GetNewConnectedClient(DTU_HANDLE server);

/* Calls DTU_Uninit, then releases the handle and its port. Deleting a server
 * also drops the identified connections still waiting to be fetched, but not
 * client handles already handed out. */
GPRSLINK_API void DTU_Delete(DTU_HANDLE handle);

/* ---- Life cycle and I/O (all kinds) ------------------------------------ */

/* Opens the port: a serial port is opened and set up, a server listens with a
 * backlog of the system maximum (SOMAXCONN), a client is already open. 1 when
 * open, 0 on failure with errno saying why (for a server the reason its port
 * cannot be listened on, such as EADDRINUSE; EINVAL for an unknown handle). */
GPRSLINK_API int DTU_Init(DTU_HANDLE handle);

/* Leaves configuration mode if active (stopping the configuration reader),
 * then closes the port. A closed server stops accepting, forgets its
 * connections still waiting for identification and drops its transfer
 * destinations. Returns 1 (0 for an unknown handle). */
GPRSLINK_API int DTU_Uninit(DTU_HANDLE handle);

/* Transparent kinds: the number of bytes written (for a DTU of type
 * "MQB-47C", counted before the 0xFE 0x03 escaping), 0 in configuration mode or
 * when the port is not open, negative when the transport failed. Framed kind:
 * 1 when the data frame was written (payloads up to 65535 bytes), else 0. */
GPRSLINK_API int DTU_SendData(DTU_HANDLE handle, const unsigned char* data, int length);

/* Moves up to `capacity` received bytes into `buffer` (framed kind: payload of
 * data frames) and returns their number; 0 when nothing waits or in
 * configuration mode. */
GPRSLINK_API int DTU_ReceiveData(DTU_HANDLE handle, unsigned char* buffer, int capacity);

/* Raw bytes the port holds unread: for a client the bytes received from the
 * DTU and not yet taken (at most 1 MiB are kept, less when the process-wide
 * receive budget is spent; beyond that the oldest are dropped), for a serial
 * device the driver's input queue. For the framed kind this is the raw count,
 * not the payload count. */
GPRSLINK_API int DTU_GetReceiveDataCount(DTU_HANDLE handle);

/* ---- Server and client management (client handles) --------------------- */

/* 1 while the DTU's connection is up and has not been silent for longer than
 * the receive time-out; otherwise 0, and a connection found silent too long
 * is closed at that moment. 0 for server and serial handles. */
GPRSLINK_API int DTU_IsClientAvailable(DTU_HANDLE client);

/* Fills: the DTU's IP address (DTU_IP_ADDRESS_SIZE bytes or more), its TCP
 * port, field A = device type (DTU_FIELD_A_SIZE), field B = device name
 * (DTU_FIELD_B_SIZE), field C = device ID (DTU_FIELD_C_SIZE) and field D =
 * phone number (DTU_FIELD_D_SIZE). 1 for a client handle, else 0. */
GPRSLINK_API int DTU_GetClientInfo(DTU_HANDLE client, char* ipAddress, int* port, char* fieldA,
                                   char* fieldB, char* fieldC, char* fieldD);

/* Sets the silence limit of DTU_IsClientAvailable in milliseconds; -1 (the
 * initial value) or any negative value: no limit. 1 for a client handle. */
GPRSLINK_API int DTU_SetReceiveDataTimeout(DTU_HANDLE client, int milliseconds);

/* Adds a relay destination (IPv4 address and port) unless one with the same
 * address text and port exists, and starts connecting to it. Every byte the
 * host later reads from the DTU is also sent to each connected destination;
 * bytes a destination sends go to the DTU. A destination found disconnected at
 * a relay is reconnected, and that relay's bytes are not sent to it. 1 for a
 * client handle. */
GPRSLINK_API int DTU_AddTransferDes(DTU_HANDLE client, const char* ipAddress, int port);

/* Closes and removes the destination with that address and port, if any. 1
 * for a client handle. */
GPRSLINK_API int DTU_DelTransferDes(DTU_HANDLE client, const char* ipAddress, int port);

/* Closes and removes all destinations. 1 for a client handle. */
GPRSLINK_API int DTU_ClearTransferDes(DTU_HANDLE client);

/* Destinations idle for at least this many milliseconds are disconnected when
 * the host finds nothing to read (0, the initial value: never). 1 for a client
 * handle. */
GPRSLINK_API int DTU_TransferDesDisTm(DTU_HANDLE client, int milliseconds);

/* ---- Framed protocol (framed client handles; other kinds return 0) ----- */

/* Sends `data` (up to 65535 bytes) as one data frame. Without acknowledgement
 * (wantAck 0): 1 when the frame was written. With: 1 when the DTU acknowledged
 * this frame or replied within `timeoutMs`, else 0. */
GPRSLINK_API int DTU_SendDataEx(DTU_HANDLE handle, const unsigned char* data, int length,
                                int wantAck, int timeoutMs);

/* As DTU_SendDataEx, for a state frame. */
GPRSLINK_API int DTU_SendStateData(DTU_HANDLE handle, const unsigned char* data, int length,
                                   int wantAck, int timeoutMs);

/* Moves up to `capacity` bytes of state-frame payload into `buffer`; returns
 * their number. */
GPRSLINK_API int DTU_ReceiveStateData(DTU_HANDLE handle, unsigned char* buffer, int capacity);

/* Remote commands "+++ dtu rst\r\n", "+++ discnt\r\n", "+++ io stop\r\n",
 * "+++ io start\r\n": 1 when the DTU acknowledged or replied within
 * `timeoutMs`, else 0. */
GPRSLINK_API int DTU_Reset(DTU_HANDLE handle, int timeoutMs);
GPRSLINK_API int DTU_Disconnect(DTU_HANDLE handle, int timeoutMs);
GPRSLINK_API int DTU_StopIO(DTU_HANDLE handle, int timeoutMs);
GPRSLINK_API int DTU_StartIO(DTU_HANDLE handle, int timeoutMs);

/* ---- DTU configuration (normally on a serial-device handle) ------------ */

/* Opens the port if needed and puts the DTU into configuration mode with
 * "+++ in set\r\n" (framed kind: as a remote command). DTU_CONFIG_OK when the
 * DTU confirmed (or the mode was already active), DTU_CONFIG_FAILED otherwise. */
GPRSLINK_API int DTU_EnterConfig(DTU_HANDLE handle);

/* Writes OUTSET=ON, waiting for "OK" only when `waitReply` is 1, and ends
 * configuration mode. 1 (0 for an unknown handle, or when waitReply is 1 and
 * the port cannot be opened). */
GPRSLINK_API int DTU_ExitConfig(DTU_HANDLE handle, int waitReply);

/* Reads parameter `name` into `valueOut` (DTU_CONFIG_TEXT_SIZE bytes or more).
 * DTU_CONFIG_OK (1) with the value, DTU_CONFIG_ERR_CMD (-1), DTU_CONFIG_ERR_DATA
 * (-2), or DTU_CONFIG_FAILED (0): no usable reply, not in configuration mode,
 * or a command longer than 200 characters. */
GPRSLINK_API int DTU_ConfigRead(DTU_HANDLE handle, const char* name, char* valueOut);

/* Writes parameter `name` = `value`. DTU_CONFIG_OK (1) confirmed,
 * DTU_CONFIG_ERR_CMD (-1), DTU_CONFIG_ERR_DATA (-2), DTU_CONFIG_FAILED (0)
 * otherwise (also for a command longer than 200 characters, which is not sent). */
GPRSLINK_API int DTU_ConfigWrite(DTU_HANDLE handle, const char* name, const char* value);

/* Fetches the DTU's whole parameter list (waits up to 20 s). 1 when the list
 * arrived; the handle keeps it for DTU_GetConfig. */
GPRSLINK_API int DTU_GetAllConfig(DTU_HANDLE handle);

/* The next name and value of the kept list (each buffer DTU_CONFIG_TEXT_SIZE
 * bytes or more): 1, or 0 when no further pair. */
GPRSLINK_API int DTU_GetConfig(DTU_HANDLE handle, char* nameOut, char* valueOut);

#ifdef __cplusplus
}
#endif

#endif /* GPRSLINK_H */
