#!/usr/bin/env python3
"""Compose a text file with colour, effects, a window and a date, send it to a
sign over TCP and print the events.

    build/bin/signsim --nvs --tcp 5005 &
    NVSOCX_LIBRARY=build/lib/libNVSOCX.so python3 control/python/example.py 127.0.0.1 5005
"""
import sys

from nvsocx import Control

host = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.1"
port = int(sys.argv[2]) if len(sys.argv) > 2 else 5005

c = Control()
c.on_result = lambda i, r, t: print("SendResult  ", i, r, t)
c.on_prompt = lambda t: print("SendPrompt  ", t)
c.on_progress = lambda k, s: print("SendProgress", k, s)

c.SetSignInfo(96, 16, 1)
c.AddRichFile("Main")
c.SetColorIndex(2)             # red
c.SetMoveMethod(4)             # slide in from the left
c.SetSpeed(5)
c.AddWindow(0, 0, 48, 16, 0)   # a window on the left half
c.AddDateTime(18)              # 31/12/2001
c.EndWindow()
c.SetCharProperty(1)           # bold
c.AddMessage("Welcome!")

c.SetCommuMode(2)
c.SetIPAndPort(host, port)
c.StartSend(-1)
c.run_until_done(20)           # the connection's outcome
c.SendFiles("1", 1, 1)
outcome = c.run_until_done(60)
c.StopSend()
sys.exit(0 if outcome and outcome[0] == 100 else 1)
