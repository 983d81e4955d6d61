#!/usr/bin/env python3
"""The program on a TV that changes: a real X server (Xorg on its dummy video driver) whose output
changes resolution, goes off and comes on again, with or without a window manager.

After each change the program's window covers the whole screen again and looks exactly as the
program freshly started at that resolution does; while the output is off the program keeps
running; afterwards the keys still work and the exit code ends it with status 0.

Usage: screen_modes_e2e.py --program build/bin/couchframe --out DIR --case no-wm|openbox
Screenshots go to DIR/CASE/screenshots. Exits 77 (skipped) when Xorg, its dummy driver or a tool
is missing, or Xorg cannot start here.
"""

import os
import re
import subprocess
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True  # nothing is written into the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
from couchframe_e2e import (SELECTED, UNSELECTED, Failure, Screenshot, is_, log,  # noqa: E402
                            main_menu_panel)
from desktop_e2e import (Skip, end_by_exit_code, import_settings, main, need,  # noqa: E402
                         start_window_manager, wait_for_exit)

XORG = Path("/usr/lib/xorg/Xorg")
DUMMY_DRIVER = Path("/usr/lib/xorg/modules/drivers/dummy_drv.so")
OUTPUT = "DUMMY0"

# The dummy driver only shows what it is told: its framebuffer may grow to the virtual size, and
# these modes (CVT timings) are added to its output by name.
VIRTUAL = (3840, 2160)
MODES = {
    "m1080": ((1920, 1080), "173.00 1920 2048 2248 2576 1080 1083 1088 1120 -hsync +vsync"),
    "m720": ((1280, 720), "74.50 1280 1344 1472 1664 720 723 728 748 -hsync +vsync"),
    "m2160": ((3840, 2160), "712.75 3840 4160 4576 5312 2160 2163 2168 2237 -hsync +vsync"),
}
START_MODE = "m1080"
OFF_ROOT = (64, 64)  # the root the X server leaves when its only output is off

XORG_CONF = f"""\
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "mon"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
EndSection
Section "Screen"
    Identifier "scr"
    Device "dummy"
    Monitor "mon"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual {VIRTUAL[0]} {VIRTUAL[1]}
    EndSubSection
EndSection
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
EndSection
"""


def start_xorg(s):
    if not XORG.exists() or not DUMMY_DRIVER.exists():
        raise Skip("Xorg or its dummy driver is not installed (scripts/install-deps brings them)")
    if os.geteuid() != 0:
        raise Skip("Xorg takes a configuration file of its own only when run as root")
    conf = s.root / "xorg.conf"
    conf.write_text(XORG_CONF)
    try:
        # No console switch: the server must not take the terminal of whoever runs the tests.
        s.start_x([str(XORG), "-config", str(conf), "-noreset", "-novtswitch", "-sharevts",
                   "-logfile", str(s.out / "Xorg.log")], log_name="xorg-stderr.log")
    except Failure as failure:
        raise Skip(f"Xorg could not start here: {failure}") from None
    for name, (_, timings) in MODES.items():
        s.x("xrandr", "--newmode", name, *timings.split())
        s.x("xrandr", "--addmode", OUTPUT, name)


def set_mode(s, name):
    s.x("xrandr", "--output", OUTPUT, "--mode", name)
    if root_size(s) != MODES[name][0]:
        raise Failure(f"xrandr did not set {name}: the root is {root_size(s)}")
    log(f"  {OUTPUT} at {name} ({'x'.join(map(str, MODES[name][0]))})")


def root_size(s):
    info = s.x("xwininfo", "-root")
    return int(re.search(r"Width: (\d+)", info)[1]), int(re.search(r"Height: (\d+)", info)[1])


def window_geometry(s):
    """Where the program's one shown window is on the root, as (x, y, width, height); None while
    it shows no window or more than one."""
    windows = s.visible_windows()
    if len(windows) != 1:
        return None
    info = s.x("xwininfo", "-id", str(next(iter(windows))), check=False)
    numbers = [re.search(rf"{label}:\s+(-?\d+)", info) for label in
               ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")]
    return tuple(int(n[1]) for n in numbers) if all(numbers) else None


def expect_full_screen(s, name):
    size = MODES[name][0]
    s.wait_until(f"the window to cover the {'x'.join(map(str, size))} screen",
                 lambda: window_geometry(s) == (0, 0, *size), timeout=15)
    s.stack = sorted(s.visible_windows())


def take_screenshot(s, path):
    s.x("import", "-window", "root", str(path))
    return path


# Text drawn again after a change may sit a few hundredths of a pixel off where a fresh start draws
# it, which shades its smoothed edges by a few levels (up to 16 of 255 seen). Colours closer than
# this (root mean square over the channels, as ImageMagick's fuzz measures) count as the same: a
# caption a fifth of a pixel off, or any panel, edge or colour out of place, is well beyond it.
SAME_COLOUR = "8%"


def differing_pixels(a, b, fuzz="0", diff="null:"):
    """How many pixels of two screenshots differ by more than fuzz; None when their sizes do."""
    result = subprocess.run(["compare", "-fuzz", fuzz, "-metric", "AE", str(a), str(b), str(diff)],
                            capture_output=True, text=True, timeout=60)
    if result.returncode not in (0, 1):
        return None
    return int(float(result.stderr.split()[0]))


def menu_checks(name, selected_row):
    """The main menu's panels where a layout at this mode puts them: the one row selected."""
    size = MODES[name][0]
    return [(f"panel {row} {'selected' if row == selected_row else 'not selected'}",
             main_menu_panel(row, *size), is_(SELECTED if row == selected_row else UNSELECTED))
            for row in range(4)]


def settled_screenshot(s, name, label, selected_row=0):
    """A screenshot of the main menu at this mode once painted whole: the panels where they
    belong, and the same picture twice in a row."""
    path = s.shots / f"{label}.png"
    previous = s.shots / f"{label}-previous.png"

    def settled():
        if path.exists():
            path.replace(previous)
        take_screenshot(s, path)
        shot = Screenshot(path)
        s.last_failing = [f"{d} at {p}: {shot.at(p)}" for d, p, test in
                          menu_checks(name, selected_row) if not test(shot.at(p))]
        return (not s.last_failing and previous.exists()
                and differing_pixels(path, previous) == 0)

    try:
        s.wait_until(f"the main menu painted at {name}", settled, timeout=20)
    except Failure as failure:
        raise Failure(f"{failure}: " + "; ".join(s.last_failing)) from None
    previous.unlink()
    return path


def fresh_start(s, name):
    """A screenshot of the main menu of the program started at this mode, to compare with."""
    set_mode(s, name)
    s.start_program()
    expect_full_screen(s, name)
    path = settled_screenshot(s, name, f"fresh-{name}")
    log(f"  fresh start at {name}: {path.name}")
    return path


def end_by_signal(s):
    s.app.terminate()
    status = wait_for_exit(s)
    if status != 0:
        raise Failure(f"SIGTERM: couchframe ended with status {status}")


def expect_fresh_look(s, name, fresh, label):
    """Waits until the window covers the screen at this mode and its picture is the fresh
    start's; says how it differs if it does not come to be, without ending the run, so that the
    later steps are seen to as well."""
    expect_full_screen(s, name)
    path = s.shots / f"{label}.png"
    differing = [None]

    def same():
        take_screenshot(s, path)
        differing[0] = differing_pixels(path, fresh, SAME_COLOUR)
        return differing[0] == 0

    try:
        s.wait_until(f"the main menu at {name} to look as a fresh start", same, timeout=15)
    except Failure as failure:
        diff = s.shots / f"{label}-diff.png"
        differing_pixels(path, fresh, SAME_COLOUR, diff)
        how = ("is of another size than" if differing[0] is None
               else f"differs in {differing[0]} pixels from")
        mismatch = f"{label}: {failure}: {path.name} {how} {fresh.name} (see {diff.name})"
        log(f"  MISMATCH {mismatch}")
        return mismatch
    exact = differing_pixels(path, fresh)
    log(f"  {label}: full screen at {name}, as a fresh start ({path.name}"
        + (f"; {exact} pixels of smoothed edges a shade off" if exact else "") + ")")
    return None


def expect_output_off(s, window_manager):
    full_screen = window_geometry(s)
    s.x("xrandr", "--output", OUTPUT, "--off")
    if root_size(s) != OFF_ROOT:
        raise Failure(f"the output did not go off: the root is {root_size(s)}")
    if window_manager:
        # The window manager moves the window onto the root that is left, and the program hears
        # of it: coming back, the program has to put its window in place again.
        s.wait_until("the window manager to move the window",
                     lambda: window_geometry(s) != full_screen, timeout=15)
    # Nothing shows that the program has taken the change in: it is given a little time in
    # which it must not end.
    deadline = time.monotonic() + 2
    while time.monotonic() < deadline:
        s.alive()
        time.sleep(0.1)
    log(f"  {OUTPUT} off: the program still runs (window {window_geometry(s)})")


def scenario(s, window_manager):
    need("xrandr", "xdotool", "xwininfo", "import", "compare", "convert",
         *(["xprop", window_manager] if window_manager else []))
    import_settings(s)
    start_xorg(s)
    manager = start_window_manager(s, window_manager) if window_manager else None
    try:
        fresh = {}
        for name in MODES:
            if name != START_MODE:
                fresh[name] = fresh_start(s, name)
                end_by_signal(s)
        fresh[START_MODE] = fresh_start(s, START_MODE)

        log("resolution changes")
        mismatches = []
        for name in MODES:
            if name != START_MODE:
                set_mode(s, name)
                mismatches.append(expect_fresh_look(s, name, fresh[name], f"changed-to-{name}"))

        log("output off and on")
        expect_output_off(s, window_manager)
        set_mode(s, START_MODE)
        mismatches.append(expect_fresh_look(s, START_MODE, fresh[START_MODE],
                                            f"back-on-{START_MODE}"))

        log("keys afterwards")
        # Typed to whichever window has the keyboard, as a remote would.
        s.x("xdotool", "key", "Down")
        moved = settled_screenshot(s, START_MODE, "down-pressed", selected_row=1)
        log(f"  Down moved the selection to my Music ({moved.name})")
        end_by_exit_code(s)
        mismatches = [m for m in mismatches if m]
        if mismatches:
            raise Failure("not as a fresh start:\n  " + "\n  ".join(mismatches))
    finally:
        if manager:
            manager.kill()
            manager.wait()


CASES = {
    "no-wm": lambda s: scenario(s, None),
    "openbox": lambda s: scenario(s, "openbox"),
}

if __name__ == "__main__":
    sys.exit(main(CASES, __doc__))
