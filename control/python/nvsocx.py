"""ctypes wrapper of the scriptable sign control (libNVSOCX.so).

    from nvsocx import Control
    c = Control("/path/to/libNVSOCX.so")
    c.AddRichFile("Main"); c.AddMessage("Hello")
    c.SetCommuMode(2); c.SetIPAndPort("127.0.0.1", 5005)
    c.StartSend(-1); c.SendFiles("1", 1, 1)
    c.run_until_done()

Every method of the control is a method here with the same name and result.
Strings are passed as bytes in the sign's single-byte character set (str is
encoded as Latin-1). Events are delivered to on_result / on_prompt /
on_progress while dispatch() or run_until_done() runs, on the calling thread.
"""

import ctypes
import os
import select

_RESULT = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_int16, ctypes.c_int16, ctypes.c_char_p)
_PROMPT = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_char_p)
_PROGRESS = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_int16, ctypes.c_int32)

S, L, T = ctypes.c_int16, ctypes.c_int32, ctypes.c_char_p

# name: (parameter types, returns a short)
_METHODS = {
    "AddRichFile": ([T], True), "AddDiskFile": ([T, T], True), "ClearContent": ([], False),
    "SetSignInfo": ([L, L, L], True), "AddWindow": ([S, S, S, S, S], True),
    "SetMoveMethod": ([S], True), "SetFont": ([S], True), "SetColorIndex": ([S], True),
    "SetColorRGB": ([L, L], True), "SetCharProperty": ([S], True), "SetFlashON": ([], True),
    "SetFlashOFF": ([], True), "SetSpeed": ([S], True), "SetPause": ([S], True),
    "AddMessage": ([T], True), "SetCommuMode": ([S], True), "SetIPAndPort": ([T, L], True),
    "SetComport": ([S], True), "SetBaudRate": ([L], True), "StopSend": ([], True),
    "EndWindow": ([], True), "AddTemperature": ([S], True), "AddCounter": ([L] * 7, True),
    "AddDateTime": ([S], True), "AddNewLine": ([], True), "AddNewPage": ([], True),
    "AddBeep": ([S], True), "SetRowSpace": ([S], True), "InsertGraphic": ([T], True),
    "ClearSignMemory": ([T, S], True), "SendFiles": ([T, S, S], True), "IsInSending": ([], True),
    "AdjustTime": ([T, S], True), "ChangeSignAddress": ([L, L], True),
    "TurnPowerOn": ([T], True), "TurnPowerOff": ([T], True), "StartSend": ([L], True),
    "SetRunSequence": ([T, T, S], True), "HasStartSendThread": ([], True),
    "AddDisplayChar": ([S], True), "AboutBox": ([], False),
}


def _default_library():
    here = os.path.dirname(os.path.abspath(__file__))
    return os.environ.get("NVSOCX_LIBRARY", os.path.join(here, "libNVSOCX.so"))


def _text(value):
    if value is None or isinstance(value, bytes):
        return value
    return str(value).encode("latin-1")


class Control:
    """One control instance."""

    def __init__(self, library=None):
        self._lib = ctypes.CDLL(library or _default_library())
        lib = self._lib
        lib.NVSOCX_Create.restype = ctypes.c_void_p
        lib.NVSOCX_Destroy.argtypes = [ctypes.c_void_p]
        lib.NVSOCX_DispatchEvents.argtypes = [ctypes.c_void_p]
        lib.NVSOCX_DispatchEvents.restype = ctypes.c_int32
        lib.NVSOCX_EventFd.argtypes = [ctypes.c_void_p]
        lib.NVSOCX_EventFd.restype = ctypes.c_int32
        lib.NVSOCX_SetEventHandlers.argtypes = [ctypes.c_void_p, _RESULT, _PROMPT, _PROGRESS,
                                                ctypes.c_void_p]
        for name, (params, returns) in _METHODS.items():
            fn = getattr(lib, "NVSOCX_" + name)
            fn.argtypes = [ctypes.c_void_p] + params
            fn.restype = ctypes.c_int16 if returns else None
        self._h = lib.NVSOCX_Create()
        if not self._h:
            raise OSError("NVSOCX_Create failed")
        self.on_result = lambda event_id, result, text: None
        self.on_prompt = lambda text: None
        self.on_progress = lambda kind, step: None
        self._done = None
        # Kept referenced for as long as the control lives.
        self._cbs = (
            _RESULT(lambda u, i, r, t: self._result(i, r, t)),
            _PROMPT(lambda u, t: self.on_prompt(t.decode("latin-1"))),
            _PROGRESS(lambda u, k, s: self.on_progress(k, s)),
        )
        lib.NVSOCX_SetEventHandlers(self._h, *self._cbs, None)

    def _result(self, event_id, result, text):
        text = text.decode("latin-1")
        # A step that ends something: the connection's outcome, the end of a
        # transmission, or a failure.
        if event_id in (1, 3, 100) or (event_id == 2 and result != 1):
            self._done = (event_id, result, text)
        self.on_result(event_id, result, text)

    def __getattr__(self, name):
        if name not in _METHODS:
            raise AttributeError(name)
        fn = getattr(self._lib, "NVSOCX_" + name)
        params = _METHODS[name][0]

        def call(*args):
            if len(args) != len(params):
                raise TypeError("%s takes %d arguments" % (name, len(params)))
            converted = [_text(a) if p is T else a for a, p in zip(args, params)]
            return fn(self._h, *converted)

        return call

    def dispatch(self, timeout=0.0):
        """Waits up to timeout seconds for events, then raises them."""
        fd = self._lib.NVSOCX_EventFd(self._h)
        select.select([fd], [], [], timeout)
        return self._lib.NVSOCX_DispatchEvents(self._h)

    def run_until_done(self, timeout=60.0):
        """Dispatches until the connection is set up or fails, or a transmission
        ends; returns (event id, result, text), or None on time-out."""
        import time
        self._done = None
        end = time.monotonic() + timeout
        while self._done is None and time.monotonic() < end:
            self.dispatch(0.05)
        return self._done

    def close(self):
        if self._h:
            self._lib.NVSOCX_Destroy(self._h)
            self._h = None

    def __del__(self):
        try:
            self.close()
        except Exception:
            pass
