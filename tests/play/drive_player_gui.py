#!/usr/bin/env python3
"""Drives ulvo-play's editor window on an X display, as a user would.

    drive_player_gui.py ULVO_PLAY SCREENSHOT.png

Runs beside a private JACK server (with_jack.sh) on a display of its own (with_xvfb.sh). Starts
the player with its window, checks the window's title and size (the classic form with the strip
of playing controls and the program chooser), clicks "Saw" and sees it stay checked past the
form's polls of the playing instrument (or "Sqr" when the first program plays a saw); picks a program in the chooser's list and steps with its
buttons, round the ends too, seeing the list follow; closes the window as a window manager does,
and checks that the player ended cleanly with that wave saved in program 0 and the last program
chosen current. Leaves a screenshot of the window. Exits non-zero on the first failed check.
"""
import ctypes
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from editor_driving import RADIOGROUP2, SQR_ITEM, TICK_MS, Failure, check, xdo  # noqa: E402

TITLE = "Ulvo DrawBar Synth"
TEXT_HEIGHT = 14  # the radio group's caption cell, as in drive_editor_x11.py
SAW_ITEM = 1
WAVE_INDEX = 14
# The classic form, 457 x 281, with the strip of playing controls, 175 high, below it and the
# program chooser, 165 high, below that.
WIDTH, HEIGHT = 457, 281 + 175 + 165
# The chooser's list and buttons on the form: eight rows of 14 pixels in columns of 109, inside a
# two-pixel edge.
LIST = (8, 497, 441, 116)
PREVIOUS = (8, 472, 25, 21)
NEXT = (424, 472, 25, 21)
HIGHLIGHT = (0x00, 0x78, 0xD7)


def item_point(item):
    """The centre of a radio item's circle, on the form."""
    return RADIOGROUP2[0] + 13, RADIOGROUP2[1] + TEXT_HEIGHT + 2 + item * 15 + 7


def pixel(x, y):
    out = subprocess.run(["import", "-window", "root", "-crop", f"1x1+{x}+{y}", "+repage",
                          "-depth", "8", "txt:-"], check=True, capture_output=True, text=True)
    rgb = out.stdout.splitlines()[1].split("(")[1].split(")")[0].split(",")
    return tuple(int(float(c)) for c in rgb[:3])


def checked_item(origin, items=4):
    """The item whose circle has the darkest centre."""
    levels = [sum(pixel(origin[0] + item_point(i)[0], origin[1] + item_point(i)[1]))
              for i in range(items)]
    return levels.index(min(levels))


def item_top(item):
    """A point on the top row of a list item, above the letters of its name."""
    return LIST[0] + 2 + (item // 8) * 109 + 54, LIST[1] + 2 + (item % 8) * 14


def highlighted_items(origin):
    """The list items drawn in the highlight, from one capture of the list."""
    crop = f"{LIST[2]}x{LIST[3]}+{origin[0] + LIST[0]}+{origin[1] + LIST[1]}"
    out = subprocess.run(["import", "-window", "root", "-crop", crop, "+repage", "-depth", "8",
                          "txt:-"], check=True, capture_output=True, text=True).stdout
    pixels = {}
    for line in out.splitlines()[1:]:
        where, colour = line.split(":", 1)
        rgb = colour.split("(")[1].split(")")[0].split(",")
        pixels[tuple(int(v) for v in where.split(","))] = tuple(int(float(c)) for c in rgb[:3])
    return [i for i in range(32)
            if pixels.get((item_top(i)[0] - LIST[0], item_top(i)[1] - LIST[1])) == HIGHLIGHT]


def click_at(origin, point):
    xdo("mousemove", origin[0] + point[0], origin[1] + point[1])
    time.sleep(0.1)
    xdo("click", 1)
    time.sleep(3 * TICK_MS / 1000)


def middle(rect):
    return rect[0] + rect[2] // 2, rect[1] + rect[3] // 2


def choose_programs(origin):
    """Works the chooser and returns the program it should leave current."""
    check(highlighted_items(origin) == [0], "program 0 is chosen at the start")
    marimba = item_top(10)
    click_at(origin, (marimba[0], marimba[1] + 7))
    check(highlighted_items(origin) == [10], "a click on the list chooses its program")
    click_at(origin, middle(NEXT))
    check(highlighted_items(origin) == [11], "next steps on")
    click_at(origin, middle(PREVIOUS))
    click_at(origin, middle(PREVIOUS))
    check(highlighted_items(origin) == [9], "previous steps back")
    click_at(origin, (item_top(0)[0], item_top(0)[1] + 7))
    click_at(origin, middle(PREVIOUS))
    check(highlighted_items(origin) == [31], "previous from the first program goes to the last")
    return 31


def close_like_a_window_manager(window):
    """Sends WM_DELETE_WINDOW, as a window manager's close button does."""
    x = ctypes.cdll.LoadLibrary("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                             ctypes.c_void_p]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                    ("pad", ctypes.c_long * 24)]  # XEvent's full size

    display = x.XOpenDisplay(None)
    check(display, "the test opens the display")
    event = ClientMessage()
    event.type = 33  # ClientMessage
    event.window = window
    event.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.format = 32
    event.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x.XFlush(display)
    x.XCloseDisplay(display)


def wave_in_state(path):
    with open(path) as state:
        for line in state:
            words = line.split()
            if words[:2] == ["program", "0"]:
                return float(words[2 + WAVE_INDEX])
    raise Failure(f"no program 0 in {path}")


def current_in_state(path):
    with open(path) as state:
        for line in state:
            words = line.split()
            if words[:1] == ["current"]:
                return int(words[1])
    raise Failure(f"no current program in {path}")


def scenario(player, state, screenshot):
    deadline = time.time() + 30
    while not player.stdout.readline().startswith("ulvo-play: playing as"):
        if player.poll() is not None:
            raise Failure(f"the player ended ({player.returncode}) before playing: "
                          f"{player.stderr.read().strip()}")
        if time.time() > deadline:
            raise Failure("the player did not start playing within 30 s")
    found = subprocess.run(["xdotool", "search", "--sync", "--name", TITLE], check=True,
                           capture_output=True, text=True, timeout=30).stdout.split()
    check(len(found) == 1, f"one window is titled '{TITLE}'")
    window = int(found[0])
    names = subprocess.run(["xprop", "-id", str(window), "WM_NAME", "_NET_WM_NAME"], check=True,
                           capture_output=True, text=True).stdout
    check(names.count(f'"{TITLE}"') == 2, f"WM_NAME and _NET_WM_NAME are the title ({names})")
    geometry = subprocess.run(["xdotool", "getwindowgeometry", str(window)], check=True,
                              capture_output=True, text=True).stdout
    check(f"Geometry: {WIDTH}x{HEIGHT}" in geometry,
          f"the window is {WIDTH} x {HEIGHT} ({geometry.strip()})")
    position = geometry.split("Position: ")[1].split()[0].split(",")
    origin = (int(position[0]), int(position[1]))
    time.sleep(3 * TICK_MS / 1000)
    crop = f"{WIDTH}x{HEIGHT}+{origin[0]}+{origin[1]}"
    subprocess.run(["import", "-window", "root", "-crop", crop, "+repage", screenshot], check=True)
    print(f"  screenshot: {screenshot}")
    # The first factory program's wave, and another one to click.
    first = checked_item(origin)
    wanted = SAW_ITEM if first != SAW_ITEM else SQR_ITEM
    item = item_point(wanted)
    xdo("mousemove", origin[0] + item[0] + 8, origin[1] + item[1])
    time.sleep(0.1)
    xdo("click", 1)
    # The form polls the instrument every tick; a value the audio thread had not taken would
    # move the radio back.
    time.sleep(5 * TICK_MS / 1000)
    check(checked_item(origin) == wanted, f"item {wanted} stays checked past the form's polls")
    chosen = choose_programs(origin)

    close_like_a_window_manager(window)
    player.wait(timeout=30)
    check(player.returncode == 0, f"closing the window ends the player cleanly ({player.returncode})")
    # Xruns of a loaded machine are reported, and nothing else.
    errors = [line for line in player.stderr.read().splitlines()
              if not line.startswith("ulvo-play: xrun: ")]
    check(not errors, f"nothing else on standard error ({errors})")
    wave = wave_in_state(state)
    check(abs(wave - wanted / 3) < 1e-6, f"Wave is saved as item {wanted} ({wave})")
    current = current_in_state(state)
    check(current == chosen, f"program {chosen} is saved current ({current})")


def main():
    ulvo_play, screenshot = sys.argv[1:3]
    print(f"player window on X11, {ulvo_play}")
    with tempfile.TemporaryDirectory() as folder:
        state = os.path.join(folder, "state")
        # Nothing of the machine's own configuration is seen.
        environment = dict(os.environ, HOME=os.path.join(folder, "home"),
                           XDG_CONFIG_HOME=os.path.join(folder, "config"))
        player = subprocess.Popen([ulvo_play, "--no-connect", "--name", "gui-player", "--state",
                                   state], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                  text=True, env=environment)
        try:
            scenario(player, state, screenshot)
        except (Failure, subprocess.SubprocessError) as failure:
            print(f"FAILED: {failure}")
            return 1
        finally:
            if player.poll() is None:
                player.kill()
                player.wait()
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
