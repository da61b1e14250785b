"""What both editor end-to-end drivers share: the layout's places, the mouse, the checks, and
waiting for a host's log lines.

Each driver puts tests/support on its path and imports this module.
"""
import subprocess
import time

TICK_MS = 100
# Layout rectangles on the form (left, top, width, height).
TRACKBAR3 = (312, 32, 33, 113)
TSUMAMI3 = (120, 200, 33, 33)
RADIOGROUP2 = (216, 24, 73, 81)
SQR_ITEM = 2


class Failure(Exception):
    pass


class LoggingHost:
    """A test host whose output arrives as lines; subclasses provide `lines()` and `process`."""

    seen = 0

    def wait_for(self, prefix, timeout=15.0):
        """The first new line starting with `prefix`; later lines stay unread."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            lines = self.lines()
            for i in range(self.seen, len(lines)):
                if lines[i].startswith(prefix):
                    self.seen = i + 1
                    return lines[i]
            if self.process.poll() is not None:
                raise Failure(f"host exited ({self.process.returncode}) waiting for '{prefix}'")
            time.sleep(0.01)
        raise Failure(f"no '{prefix}' from the host within {timeout} s")

    def param(self, index):
        return float(self.ask(f"param {index}", f"param {index} ").split()[2])


def xdo(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)


def drag(start, end, steps=8):
    xdo("mousemove", *start)
    time.sleep(0.1)
    xdo("mousedown", 1)
    time.sleep(0.1)
    for i in range(1, steps + 1):
        x = start[0] + (end[0] - start[0]) * i // steps
        y = start[1] + (end[1] - start[1]) * i // steps
        xdo("mousemove", x, y)
        time.sleep(0.03)
    time.sleep(0.1)
    xdo("mouseup", 1)
    time.sleep(0.1)


def check(condition, message):
    if not condition:
        raise Failure(message)
    print(f"  ok: {message}")


def center(rect):
    return rect[0] + rect[2] // 2, rect[1] + rect[3] // 2
