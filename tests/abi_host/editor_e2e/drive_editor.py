#!/usr/bin/env python3
"""Drives the editor of one Windows build under Wine on an X display, as a user would.

    drive_editor.py BUILD_DIR SCREENSHOT.png

Starts editor_e2e_host.exe from BUILD_DIR with its UlvoDraw.dll, opens the editor, moves its
controls with xdotool at the layout's screen coordinates and checks what the host records:
TrackBar3 dragged to its top sets Attack to 1.0, reported once; a click on "Sqr" sends 2/3 for
Wave; a drag of Tsumami3 makes CutOff follow; CutOff 0.37 from the host turns the knob to 37
within two timer ticks with one report; close and reopen. Saves a screenshot of the open editor.
Exits non-zero on the first failed check.
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from editor_driving import (RADIOGROUP2, SQR_ITEM, TICK_MS, TRACKBAR3, TSUMAMI3, Failure,  # noqa: E402
                            LoggingHost, center, check, drag, xdo)


class Host(LoggingHost):
    def __init__(self, build, workdir):
        self.log_path = os.path.join(workdir, "host.log")
        self.command_path = os.path.join(workdir, "commands.txt")
        open(self.command_path, "w").close()
        exe = os.path.join(build, "editor_e2e_host.exe")
        dll = os.path.join(build, "UlvoDraw.dll")
        for path in (exe, dll):
            if not os.path.isfile(path):
                raise Failure(f"{path} is missing: build the preset first")
        self.process = subprocess.Popen(["wine", exe, dll, self.log_path, self.command_path],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.seen = 0

    def lines(self):
        try:
            with open(self.log_path) as log:
                return log.read().splitlines()
        except FileNotFoundError:
            return []

    def ask(self, command, answer):
        with open(self.command_path, "a") as commands:
            commands.write(command + "\n")
        return self.wait_for(answer)

    def reports(self, since_line=0, instance=0):
        """(index, value, ms) of every automation report of `instance` after line `since_line`."""
        found = []
        for line in self.lines()[since_line:]:
            if line.startswith("automate "):
                _, index, value, ms, sender = line.split()
                if int(sender) == instance:
                    found.append((int(index), float(value), float(ms)))
        return found

    def probe(self, x, y):
        words = self.ask(f"probe {x} {y}", "probe ").split()
        if words[1] == "none":
            raise Failure(f"no control at form point {x},{y}")
        text = " ".join(words[2:]).split("'")[1]
        numbers = [int(w) for w in " ".join(words[2:]).split("'")[2].split() if w.lstrip("-").isdigit()]
        rect, pos, thumb = numbers[0:4], numbers[4], numbers[5:9]
        return {"class": words[1], "text": text, "rect": rect, "pos": pos, "thumb": thumb}


def scenario(host, screenshot):
    host.wait_for("ready", timeout=240)
    check(host.ask("rect", "rect ") == "rect 1 0 0 0 0", "closed editor reports an empty rectangle")
    check(host.ask("opennull", "opennull ") == "opennull 0", "open without a window answers 0")
    check(host.wait_for("form ") == "form none", "and creates nothing")

    check(host.ask("open", "open ") == "open 1", "open answers 1")
    form = host.wait_for("form ").split()
    origin = (int(form[1]), int(form[2]))
    check(form[3:] == ["457", "281", "at", "0", "0", "border", "0", "layered", "0"],
          f"form is a borderless, unblended 457 x 281 child at the host's top-left ({' '.join(form)})")
    check(host.ask("rect", "rect ") == "rect 1 0 0 281 457", "open editor reports 0 0 281 457")
    time.sleep(3 * TICK_MS / 1000)
    check(not host.reports(), "opening on the default program reports nothing")

    def screen(x, y):
        return origin[0] + x, origin[1] + y

    subprocess.run(["import", "-window", "root", "-crop", f"457x281+{origin[0]}+{origin[1]}",
                    "+repage", screenshot], check=True)
    print(f"  screenshot: {screenshot}")

    # TrackBar3 to its top: Attack 1.0, reported once.
    bar = host.probe(*center(TRACKBAR3))
    check(bar["class"].lower() == "msctls_trackbar32" and bar["pos"] == 45,
          f"TrackBar3 is a trackbar at 45 ({bar})")
    thumb = bar["thumb"]
    grip = ((thumb[0] + thumb[2]) // 2, (thumb[1] + thumb[3]) // 2)
    mark = len(host.lines())
    drag(grip, (grip[0], bar["rect"][1] - 40))
    time.sleep(3 * TICK_MS / 1000)
    check(host.param(0) == 1.0, "Attack is 1.0")
    attack = [r for r in host.reports(mark) if r[0] == 0]
    check([r[1] for r in attack].count(1.0) == 1, f"1.0 reported once for Attack ({len(attack)} reports)")
    check(host.probe(*center(TRACKBAR3))["pos"] == 0, "TrackBar3 stays at its top after the ticks")

    # "Sqr" on RadioGroup2: Wave 2/3.
    item_top = RADIOGROUP2[1] + 16 + SQR_ITEM * 15  # caption cell of 14 pixels, items of 15
    sqr_point = (RADIOGROUP2[0] + 8 + 12, item_top + 7)
    sqr = host.probe(*sqr_point)
    check(sqr["text"] == "Sqr" and sqr["pos"] == 0, f"'Sqr' sits where the layout puts it ({sqr})")
    mark = len(host.lines())
    xdo("mousemove", *screen(*sqr_point))
    time.sleep(0.1)
    xdo("click", 1)
    time.sleep(3 * TICK_MS / 1000)
    wave = [r for r in host.reports(mark) if r[0] == 14]
    check([r[1] for r in wave] == [0.666666687], f"2/3 reported once for Wave ({wave})")
    check(host.param(14) == 0.666666687, "Wave is 2/3")
    check(host.probe(*sqr_point)["pos"] == 1, "'Sqr' is checked")

    # Tsumami3 dragged 24 pixels up: 12 steps, CutOff follows to 0.62.
    knob_point = center(TSUMAMI3)
    knob = host.probe(*knob_point)
    check(knob["class"] == "UlvoDrawKnob" and knob["pos"] == 50, f"Tsumami3 is a knob at 50 ({knob})")
    mark = len(host.lines())
    drag(screen(*knob_point), screen(knob_point[0], knob_point[1] - 24), steps=6)
    time.sleep(3 * TICK_MS / 1000)
    cutoff = [r[1] for r in host.reports(mark) if r[0] == 4]
    check(cutoff and cutoff == sorted(cutoff) and cutoff[-1] == 0.620000005,
          f"CutOff follows the drag up to 0.62 ({cutoff})")
    check(host.param(4) == 0.620000005, "CutOff is 0.62")
    check(host.probe(*knob_point)["pos"] == 62, "Tsumami3 is at 62")

    # CutOff 0.37 from the host: the knob turns within two ticks, one report of 0.37.
    mark = len(host.lines())
    host.ask(f"watch {knob_point[0]} {knob_point[1]} 37", "watching")
    host.ask("set 4 0.37", "set 4 ")
    reached = host.wait_for("reached 37", timeout=5)
    ms = float(reached.split()[3])
    time.sleep(5 * TICK_MS / 1000)
    check(ms <= 2 * TICK_MS + 50, f"Tsumami3 reached 37 {ms:.0f} ms after the host's write")
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
    check(host.ask("rect", "rect ") == "rect 1 0 0 281 457", "reopened editor reports 0 0 281 457")
    time.sleep(3 * TICK_MS / 1000)
    check(host.probe(*knob_point)["pos"] == 37, "reopened Tsumami3 shows 37")
    check(host.probe(*center(TRACKBAR3))["pos"] == 0, "reopened TrackBar3 shows 1.0")
    check(host.probe(*sqr_point)["pos"] == 1, "reopened RadioGroup2 shows 'Sqr'")

    # A second instance of the same library, its editor open beside the first: closing either
    # leaves the other's windows working, and the first opens again after both were closed.
    check(host.ask("use 1", "using ") == "using 1", "second instance loaded")
    check(host.ask("open", "open ") == "open 1", "second editor opens")
    host.wait_for("form ")
    host.ask("use 0", "using 0")
    host.ask("close", "closed")
    host.ask("use 1", "using 1")
    mark = len(host.lines())
    host.ask(f"watch {knob_point[0]} {knob_point[1]} 80", "watching")
    host.ask("set 4 0.8", "set 4 ")
    host.wait_for("reached 80", timeout=5)
    second = [(r[0], r[1]) for r in host.reports(mark, instance=1)]
    check(second == [(4, 0.800000012)] and host.reports(mark) == [],
          f"second editor follows its own instance after the first closed ({second})")
    host.ask("close", "closed")
    host.ask("use 0", "using 0")
    check(host.ask("open", "open ") == "open 1", "first editor opens again after both closed")
    host.wait_for("form ")
    time.sleep(3 * TICK_MS / 1000)
    check(host.probe(*knob_point)["pos"] == 37, "and shows its own CutOff")

    host.ask("quit", "quitting")
    host.wait_for("done")
    host.process.wait(timeout=30)
    check(host.process.returncode == 0, "host closed the plug-in and exited cleanly")


def main():
    build, screenshot = sys.argv[1], sys.argv[2]
    name = os.path.basename(os.path.normpath(build))
    print(f"editor end to end, {name}")
    workdir = tempfile.mkdtemp(prefix=f"editor-e2e-{name}-")
    host = None
    try:
        host = Host(build, workdir)
        scenario(host, screenshot)
    except (Failure, subprocess.CalledProcessError) as failure:
        print(f"FAILED ({name}): {failure}")
        if host is not None:
            print("host log:\n  " + "\n  ".join(host.lines()[-40:]))
        return 1
    finally:
        if host is not None and host.process.poll() is None:
            host.process.kill()
    print(f"passed ({name})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
