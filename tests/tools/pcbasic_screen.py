#!/usr/bin/python3
"""Runs BASIC in PC-BASIC's 640 x 200 16-colour screen and writes what it drew.

Usage: pcbasic_screen.py FOLDER SCRIPT OUTPUT SECONDS

FOLDER is the interpreter's disk. Each line of SCRIPT is one of
  DO statement        runs an immediate statement
  RUN file            runs a program of the disk to its end (or its error)
  DUMP x0 y0 x1 y1    appends the colour numbers of that rectangle, row by
                      row, one byte each, to OUTPUT
The text screen is printed at the end, so that an error shows. Exit status
2 when the whole run takes longer than SECONDS (a fill that never ends).
"""
import os
import signal
import sys

import pcbasic


def main():
    folder, script, output, seconds = sys.argv[1:5]
    os.chdir(folder)
    signal.signal(signal.SIGALRM, lambda *_: os._exit(2))
    signal.alarm(int(seconds))
    dumped = bytearray()
    with pcbasic.Session(video="vga", input_streams=None, output_streams=None,
                         devices={b"Z": os.getcwd()}, current_device=b"Z") as session:
        session.start()
        # A fill pauses a tick every fourth row to look for keys: nobody types here.
        session._impl.queues.tick = 0
        session.execute("SCREEN 8:CLS")
        with open(script, encoding="latin-1") as lines:
            for line in lines:
                command, _, rest = line.rstrip("\r\n").partition(" ")
                if command == "DO":
                    session.execute(rest)
                elif command == "RUN":
                    session.execute('RUN "%s"' % rest)
                elif command == "DUMP":
                    x0, y0, x1, y1 = (int(v) for v in rest.split())
                    pixels = session.get_pixels()
                    for y in range(y0, y1 + 1):
                        dumped.extend(pixels[y][x0:x1 + 1])
        text = b"\n".join(b"".join(row).rstrip() for row in session.get_chars())
    with open(output, "wb") as out:
        out.write(dumped)
    sys.stdout.write(text.decode("latin-1").strip() + "\n")


main()
