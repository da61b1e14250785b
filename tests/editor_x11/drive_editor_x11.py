#!/usr/bin/env python3
"""Drives the Linux editor on an X display, as a user would.

    drive_editor_x11.py HOST PLUGIN.so SCREENSHOT.png

Starts the test host HOST with PLUGIN.so, opens the editor, moves its controls with xdotool at
the layout's screen coordinates and checks what the host records and what the form shows:
TrackBar3 dragged to its top sets Attack to 1.0, reported once; a click on "Sqr" sends 2/3 for
Wave; a drag of Tsumami3 makes CutOff follow; CutOff 0.37 from the host turns the knob to 37
within two timer ticks with one report; close and reopen. Saves a screenshot of the open editor.
Exits non-zero on the first failed check.
"""
import os
import subprocess
import sys
import threading
import time

TEXT_HEIGHT = 14  # the text cell of a 12-pixel Times New Roman or Liberation Serif
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from editor_driving import (RADIOGROUP2, SQR_ITEM, TICK_MS, TRACKBAR3, TSUMAMI3, Failure,  # noqa: E402
                            LoggingHost, center, check, drag, xdo)


class Host(LoggingHost):
    def __init__(self, host, plugin):
        self.process = subprocess.Popen([host, plugin], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True, bufsize=1)
        self.log = []
        self.seen = 0
        self.lock = threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            with self.lock:
                self.log.append(line.rstrip("\n"))

    def lines(self):
        with self.lock:
            return list(self.log)

    def ask(self, command, answer):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        return self.wait_for(answer)

    def reports(self, since_line=0):
        """(index, value, ms) of every automation report after line `since_line`."""
        found = []
        for line in self.lines()[since_line:]:
            if line.startswith("automate "):
                _, index, value, ms = line.split()
                found.append((int(index), float(value), float(ms)))
        return found

    def number(self, command, answer):
        return int(self.ask(command, answer + " ").split()[1])


def probes(host):
    knob = host.number(f"knob {TSUMAMI3[0]} {TSUMAMI3[1]} 33", "knob")
    bar = host.number(f"slider {TRACKBAR3[0]} {TRACKBAR3[1]} 50 5", "slider")
    wave = host.number(f"radio {' '.join(map(str, RADIOGROUP2))} 4 {TEXT_HEIGHT}", "radio")
    return knob, bar, wave


def scenario(host, screenshot):
    host.wait_for("ready")
    check(host.ask("rect", "rect ") == "rect 1 0 0 0 0", "closed editor reports an empty rectangle")
    check(host.ask("opennull", "opennull ") == "opennull 0", "open without a window answers 0")
    check(host.wait_for("form ") == "form none", "and creates nothing")

    check(host.ask("open", "open ") == "open 1", "open answers 1")
    form = host.wait_for("form ").split()
    origin = (int(form[1]), int(form[2]))
    check(form[3:] == ["457", "281", "at", "0", "0", "border", "0", "mapped", "1"],
          f"form is a borderless, mapped 457 x 281 child at the host's top-left ({' '.join(form)})")
    check(host.ask("rect", "rect ") == "rect 1 0 0 281 457", "open editor reports 0 0 281 457")
    time.sleep(3 * TICK_MS / 1000)
    check(not host.reports(), "opening on the default program reports nothing")
    check(probes(host) == (50, 45, 0), "the form shows CutOff 50, TrackBar3 at 45 and 'Sin'")

    def screen(x, y):
        return origin[0] + x, origin[1] + y

    subprocess.run(["import", "-window", "root", "-crop", f"457x281+{origin[0]}+{origin[1]}",
                    "+repage", screenshot], check=True)
    print(f"  screenshot: {screenshot}")

    # TrackBar3 to its top: Attack 1.0, reported once.
    grip = (TRACKBAR3[0] + 17, TRACKBAR3[1] + 9 + 45 * 94 // 50)  # the thumb's centre at 45
    mark = len(host.lines())
    drag(screen(*grip), screen(grip[0], TRACKBAR3[1] - 40))
    time.sleep(3 * TICK_MS / 1000)
    check(host.param(0) == 1.0, "Attack is 1.0")
    attack = [r for r in host.reports(mark) if r[0] == 0]
    check([r[1] for r in attack].count(1.0) == 1, f"1.0 reported once for Attack ({attack})")
    check(host.number(f"slider {TRACKBAR3[0]} {TRACKBAR3[1]} 50 5", "slider") == 0,
          "TrackBar3 shows its top after the ticks")

    # A click on the channel below the thumb steps down by one: Attack 0.98.
    mark = len(host.lines())
    xdo("mousemove", *screen(grip[0], TRACKBAR3[1] + 60))
    time.sleep(0.1)
    xdo("click", 1)
    time.sleep(3 * TICK_MS / 1000)
    check(host.param(0) == 0.980000019, "a click on the channel pages Attack down to 0.98")
    check(host.number(f"slider {TRACKBAR3[0]} {TRACKBAR3[1]} 50 5", "slider") == 1,
          "TrackBar3 shows position 1")

    # "Sqr" on RadioGroup2: Wave 2/3.
    item_top = RADIOGROUP2[1] + TEXT_HEIGHT + 2 + SQR_ITEM * 15  # items of 15 pixels
    sqr_point = (RADIOGROUP2[0] + 8 + 20, item_top + 7)
    mark = len(host.lines())
    xdo("mousemove", *screen(*sqr_point))
    time.sleep(0.1)
    xdo("click", 1)
    time.sleep(3 * TICK_MS / 1000)
    wave = [r for r in host.reports(mark) if r[0] == 14]
    check([r[1] for r in wave] == [0.666666687], f"2/3 reported once for Wave ({wave})")
    check(host.param(14) == 0.666666687, "Wave is 2/3")
    check(probes(host)[2] == SQR_ITEM, "'Sqr' is checked")

    # Tsumami3 dragged 24 pixels up: 12 steps, CutOff follows to 0.62.
    knob_point = center(TSUMAMI3)
    mark = len(host.lines())
    drag(screen(*knob_point), screen(knob_point[0], knob_point[1] - 24), steps=6)
    time.sleep(3 * TICK_MS / 1000)
    cutoff = [r[1] for r in host.reports(mark) if r[0] == 4]
    check(cutoff and cutoff == sorted(cutoff) and cutoff[-1] == 0.620000005,
          f"CutOff follows the drag up to 0.62 ({cutoff})")
    check(host.param(4) == 0.620000005, "CutOff is 0.62")
    check(probes(host)[0] == 62, "Tsumami3 shows 62")

    # Dragged out of the form to the right and down: the grab keeps the knob following, from
    # 62 by 400 / 2 up and 390 / 2 down to 67.
    mark = len(host.lines())
    drag(screen(*knob_point), screen(knob_point[0] + 400, knob_point[1] + 390), steps=5)
    time.sleep(3 * TICK_MS / 1000)
    cutoff = [r[1] for r in host.reports(mark) if r[0] == 4]
    check(host.param(4) == 0.670000017 and cutoff and cutoff[-1] == 0.670000017,
          f"a drag that leaves the form still turns the knob, to 67 ({cutoff})")

    # CutOff 0.37 from the host: the knob turns within two ticks, one report of 0.37.
    mark = len(host.lines())
    host.ask(f"watch {TSUMAMI3[0]} {TSUMAMI3[1]} 33 37", "watching")
    host.ask("set 4 0.37", "set 4 ")
    reached = host.wait_for("reached 37", timeout=5)
    ms = float(reached.split()[2])
    time.sleep(5 * TICK_MS / 1000)
    check(ms <= 2 * TICK_MS + 40, f"Tsumami3 shows 37 {ms:.0f} ms after the host's write")
    reports = host.reports(mark)
    check([(r[0], r[1]) for r in reports] == [(4, 0.370000005)],
          f"one report of 0.37 for CutOff ({reports})")

    # Close and reopen: the form goes and comes back showing the current values.
    host.ask("close", "closed")
    check(host.wait_for("form ") == "form none", "close destroys the form")
    check(host.ask("rect", "rect ") == "rect 1 0 0 0 0", "closed editor reports an empty rectangle")
    host.ask("close", "closed")
    check(host.wait_for("form ") == "form none", "a close without an open does nothing")
    check(host.ask("open", "open ") == "open 1", "reopen answers 1")
    host.wait_for("form ")
    time.sleep(3 * TICK_MS / 1000)
    check(probes(host) == (37, 1, SQR_ITEM), "the reopened form shows 37, position 1 and 'Sqr'")

    host.ask("quit", "quitting")
    host.wait_for("done")
    host.process.wait(timeout=30)
    check(host.process.returncode == 0, "host closed the plug-in and exited cleanly")


def main():
    host_path, plugin, screenshot = sys.argv[1:4]
    print(f"editor end to end on X11, {plugin}")
    host = None
    try:
        host = Host(host_path, plugin)
        scenario(host, screenshot)
    except (Failure, subprocess.CalledProcessError) as failure:
        print(f"FAILED: {failure}")
        if host is not None:
            print("host log:\n  " + "\n  ".join(host.lines()[-40:]))
        return 1
    finally:
        if host is not None and host.process.poll() is None:
            host.process.kill()
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
