#!/usr/bin/env python3
"""End-to-end run of the real couchframe program on its own X server.

Imports settings from a .reg file, generates music and pictures, then drives the program with
real key events through the main menu, the Music folder list and the player, the Picture folder
list and the slide-show viewer, and quits with the exit code. Checks the playlist files byte for
byte, the screens through window state and screenshot pixels, the exit status, and the
preferences the player and the viewer stored.

Usage: couchframe_e2e.py --program build/bin/couchframe --out DIR
Screenshots of every step go to DIR/screenshots, the program's output to DIR/couchframe.log.
Exits 77 (skipped) when Xvfb or xdotool is missing.
"""

import argparse
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SKIP = 77
WIDTH, HEIGHT = 1280, 720
EXIT_CODE = "4711"

# Colours as (red, green, blue).
SELECTED = (0, 0, 255)
UNSELECTED = (0, 64, 128)
BLACK = (0, 0, 0)
RED = (255, 0, 0)
GREEN = (0, 255, 0)


class Failure(Exception):
    pass


def log(text):
    print(text, flush=True)


def main_menu_panel(row, width=WIDTH, height=HEIGHT):
    """A point inside main menu panel 0..3, clear of its caption (layout at width x height)."""
    h = ((height // 4) * 3) // 10
    g = (h // 4) * 2
    top = (height - 4 * h - g) // 2 + row * (h + g)
    return (width // 4 + 10, top + 8)


def folder_row(row):
    """A point inside folder list row panel 0..9, left of its caption."""
    u = HEIGHT // 120
    h = 9 * u
    t = (HEIGHT - 12 * h - 11 * u) // 2
    return ((WIDTH // 20) // 2 + 4, t + (row + 1) * (h + u) + 6)


def player_switch(index):
    """A point inside the player's loop (0) or shuffle (1) panel, clear of its caption."""
    height = (HEIGHT // 120) * 8
    width = WIDTH // 4
    m = (WIDTH // 20) // 2
    shuffle_left = WIDTH - width - m
    left = shuffle_left if index else shuffle_left - width - m
    return (left + 8, HEIGHT - height - m + 8)


PROGRESS_START = (3, HEIGHT - (HEIGHT // 48) // 2)  # the left end of a shown progress bar


def greenish(rgb):
    return rgb[1] >= 150 and rgb[0] <= 100 and rgb[2] <= 100


class Screenshot:
    def __init__(self, path):
        ppm = subprocess.run(["convert", str(path), "-depth", "8", "ppm:-"],
                             check=True, capture_output=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        if not header:
            raise Failure(f"{path}: not an 8-bit screenshot")
        self.width = int(header.group(1))
        self.pixels = ppm[header.end():]

    def at(self, point):
        x, y = point
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])


def near(rgb, expected, tolerance=24):
    return all(abs(a - b) <= tolerance for a, b in zip(rgb, expected))


class Session:
    """An X server, the program on it, and the steps that drive it."""

    def __init__(self, program, out):
        self.program = program
        self.out = out
        self.shots = out / "screenshots"
        self.started = time.monotonic()
        self.step = 0
        self.x_server = None
        self.app = None
        self.stack = []  # visible top-level windows of the program, bottom first
        self.last_failing = []  # the checks of the last screenshot that did not hold
        self.root = Path(tempfile.mkdtemp(prefix="couchframe-e2e-"))
        self.env = dict(os.environ)
        for name in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR",
                     "TMPDIR"):
            (self.root / name.lower()).mkdir(mode=0o700)
            self.env[name] = str(self.root / name.lower())
        for name in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XAUTHORITY"):
            self.env.pop(name, None)
        # No sound device on a test machine: the null output keeps the run quiet and predictable.
        self.env["COUCHFRAME_MPV_OPTIONS"] = "ao=null"
        # Under the sanitizers the whole program runs with the display server's, D-Bus's and the
        # graphics drivers' libraries, whose own leaks at exit are not ours; the unit tests check
        # our code for leaks.
        if "ASAN_OPTIONS" in self.env:
            self.env["ASAN_OPTIONS"] += ":detect_leaks=0"
        self.media = self.root / "media"

    # --- set-up -------------------------------------------------------------------------------

    def make_media(self):
        music = self.media / "Music"
        pictures = self.media / "Pictures"
        music.mkdir(parents=True)
        pictures.mkdir(parents=True)
        # The list sorts names without case: alpha, Beta, gamma. A byte-order sort of the
        # playlist would put Beta first.
        for name, title, frequency in (("alpha", "Alpha Tone", 440), ("Beta", "Beta Tone", 550),
                                       ("gamma", "Gamma Tone", 660)):
            run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                 f"sine=frequency={frequency}:duration=3", "-c:a", "libmp3lame", "-b:a", "64k",
                 "-metadata", f"title={title}", "-metadata", "artist=Couchframe E2E",
                 "-write_id3v1", "1", str(music / f"{name}.mp3")])
        (music / "notes.txt").write_text("not music\n")
        # A landscape BMP (built-in decoder) and a portrait JPEG (the jpeg plug-in).
        run(["convert", "-size", "320x240", "xc:#ff0000", f"BMP3:{pictures / 'a_red.bmp'}"])
        run(["convert", "-size", "240x320", "xc:#00ff00", "-quality", "95",
             str(pictures / "b_green.jpg")])
        return music, pictures

    def import_settings(self, music, pictures):
        reg = self.root / "e2e.reg"
        reg.write_text("\n".join([
            "Windows Registry Editor Version 5.00",
            "",
            r"[HKEY_CURRENT_USER\Software\Quor\Couchframe\System]",
            f'"ExitCode"="{EXIT_CODE}"',
            '"ActiveDelay"=dword:00000000',
            "",
            r"[HKEY_CURRENT_USER\Software\Quor\Couchframe\Video]",
            '"ItemCount"=dword:00000000',
            "",
            r"[HKEY_CURRENT_USER\Software\Quor\Couchframe\Music]",
            '"Extention"="wav,wma,mp3,m3u,mid"',
            '"ItemCount"=dword:00000001',
            '"Title001"="Songs"',
            f'"Folder001"="{music}"',
            '"Lock001"=dword:00000000',
            "",
            r"[HKEY_CURRENT_USER\Software\Quor\Couchframe\Picture]",
            '"Extention"="bmp,jpg,jpeg"',
            '"ItemCount"=dword:00000001',
            '"Title001"="Pictures"',
            f'"Folder001"="{pictures}"',
            '"Lock001"=dword:00000000',
            "",
        ]))
        run([self.program, "--import-settings", str(reg)], env=self.env)

    def start_x(self, server=("Xvfb", "-screen", "0", f"{WIDTH}x{HEIGHT}x24"),
                log_name="xvfb.log"):
        """Starts the X server on a display number it finds free itself, so that runs side by
        side do not collide."""
        read_end, write_end = os.pipe()
        self.x_server = subprocess.Popen(
            [*server, "-displayfd", str(write_end), "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL,
            stderr=open(self.out / log_name, "wb"), start_new_session=True)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0, deadline - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                raise Failure(f"{server[0]} did not report a display (see {log_name})")
            number += chunk
        os.close(read_end)
        self.env["DISPLAY"] = ":" + number.decode().strip()
        log(f"X server on {self.env['DISPLAY']}")

    def start_program(self):
        self.app = subprocess.Popen([self.program], env=self.env, cwd=self.root,
                                    stdin=subprocess.DEVNULL,
                                    stdout=open(self.out / "couchframe.log", "wb"),
                                    stderr=subprocess.STDOUT, start_new_session=True)

    def stop(self):
        if self.app and self.app.poll() is None:
            self.app.kill()
            self.app.wait()
        if self.x_server and self.x_server.poll() is None:
            # Asked to end, an X server takes its lock file and socket away; killed, it leaves them.
            self.x_server.terminate()
            try:
                self.x_server.wait(10)
            except subprocess.TimeoutExpired:
                self.x_server.kill()
                self.x_server.wait()
        shutil.rmtree(self.root, ignore_errors=True)

    # --- observing ----------------------------------------------------------------------------

    def x(self, *command, check=True):
        try:
            return subprocess.run(command, env=self.env, check=check, capture_output=True,
                                  text=True, timeout=30).stdout
        except subprocess.TimeoutExpired:
            raise Failure(f"{' '.join(command)} did not finish") from None

    def alive(self):
        if self.app.poll() is not None:
            raise Failure(f"couchframe ended early with status {self.app.returncode}")

    def visible_windows(self):
        ids = self.x("xdotool", "search", "--onlyvisible", "--pid", str(self.app.pid),
                     check=False).split()
        return {int(i) for i in ids}

    def wait_until(self, what, predicate, timeout=20.0):
        deadline = time.monotonic() + timeout
        while True:
            self.alive()
            result = predicate()
            if result:
                return result
            if time.monotonic() > deadline:
                raise Failure(f"timed out waiting for {what}")
            time.sleep(0.1)

    def screens_shown(self):
        """How many screens stand on the program's one window, told by its title: the main menu
        alone is "Couchframe"; a folder list is named after its category, the player and the viewer
        after themselves."""
        windows = self.visible_windows()
        if len(windows) != 1:
            return 0
        title = self.x("xdotool", "getwindowname", str(next(iter(windows))), check=False).strip()
        if title == "Couchframe":
            return 1
        top = title.removesuffix(" - Couchframe")
        return 3 if top in ("Player", "Pictures") else 2 if top.startswith("my ") else 0

    def expect_screens(self, count, what):
        """Waits until exactly count screens of the program are shown, on its one window."""
        self.wait_until(f"{what} ({count} screens shown)", lambda: self.screens_shown() == count)
        self.stack = sorted(self.visible_windows())
        top = self.stack[-1]
        geometry = self.x("xwininfo", "-id", str(top))
        if f"-geometry {WIDTH}x{HEIGHT}+0+0" not in geometry:
            raise Failure(f"{what}: the top window does not cover the screen:\n{geometry}")

    def screenshot(self, name, checks=(), timeout=20.0):
        """Saves NN-name.png once every (description, point, test) of checks holds."""
        self.step += 1
        path = self.shots / f"{self.step:02d}-{name}.png"

        def take():
            self.x("import", "-window", "root", str(path))
            shot = Screenshot(path)
            failing = [f"{d} at {p}: {shot.at(p)}" for d, p, test in checks if not test(shot.at(p))]
            if self.visible_windows() - set(self.stack):
                failing.append("a window more is shown (a message box?)")
            self.last_failing = failing
            return not failing

        try:
            self.wait_until(f"screen '{name}'", take, timeout)
        except Failure as failure:
            raise Failure(f"{failure}: " + "; ".join(self.last_failing)) from None
        log(f"  {path.name} ({time.monotonic() - self.started:.1f} s)")
        return path

    # --- acting -------------------------------------------------------------------------------

    def keys(self, *names):
        """Types keys into the screen in front."""
        self.alive()
        self.x("xdotool", "windowfocus", "--sync", str(self.stack[-1]))
        self.x("xdotool", "key", "--delay", "40", *names)


def run(command, **kwargs):
    result = subprocess.run(command, capture_output=True, **kwargs)
    if result.returncode != 0:
        raise Failure(f"{' '.join(map(str, command))} failed ({result.returncode}):\n"
                      f"{result.stdout.decode(errors='replace')}"
                      f"{result.stderr.decode(errors='replace')}")
    return result.stdout


def is_(expected):
    return lambda rgb: near(rgb, expected)


def expect_bytes(path, expected, what):
    if not path.exists():
        raise Failure(f"{what}: {path} was not written")
    actual = path.read_bytes()
    if actual != expected:
        raise Failure(f"{what}: {path} holds {actual!r}, expected {expected!r}")
    log(f"  {path.name}: {len(actual)} bytes as expected")


def scenario(s):
    music, pictures = s.make_media()
    s.import_settings(music, pictures)
    s.start_x()
    s.start_program()

    log("main menu")
    s.expect_screens(1, "main menu")
    s.screenshot("main-menu", [("my Video selected", main_menu_panel(0), is_(SELECTED)),
                               ("my Music not selected", main_menu_panel(1), is_(UNSELECTED)),
                               ("my Files not selected", main_menu_panel(3), is_(UNSELECTED))])

    log("my Music")
    s.keys("Down")
    s.screenshot("main-menu-music", [("my Video not selected", main_menu_panel(0), is_(UNSELECTED)),
                                     ("my Music selected", main_menu_panel(1), is_(SELECTED))])
    s.keys("Return")
    s.expect_screens(2, "Music folder list")
    s.screenshot("music-folders", [("first row selected", folder_row(0), is_(SELECTED)),
                                   ("second row not selected", folder_row(1), is_(UNSELECTED))])
    s.keys("Return", "Down")  # into "Songs", then onto its first file below the up entry
    s.screenshot("music-files", [("up entry not selected", folder_row(0), is_(UNSELECTED)),
                                 ("alpha selected", folder_row(1), is_(SELECTED))])
    s.keys("space", "space")  # marks alpha and Beta; the selection moves on to gamma
    s.screenshot("music-marked", [("gamma selected", folder_row(3), is_(SELECTED)),
                                  ("Beta not selected", folder_row(2), is_(UNSELECTED))])

    log("player")
    m3u = Path(s.env["XDG_RUNTIME_DIR"]) / "couchframe" / "couchframe.m3u"
    s.keys("ctrl+p")
    s.expect_screens(3, "player")
    expect_bytes(m3u, f"{music}/alpha.mp3\r\n{music}/Beta.mp3\r\n".encode(), "music playlist")
    s.screenshot("player", [("loop switch selected", player_switch(0), is_(SELECTED)),
                            ("shuffle switch not selected", player_switch(1), is_(UNSELECTED))])
    # The progress bar, once shown, fills from the left only while the item really plays.
    s.keys("ctrl+i")
    s.screenshot("player-progress", [("progress bar moving", PROGRESS_START, greenish),
                                     ("loop switch selected", player_switch(0), is_(SELECTED))])
    s.keys("7", "F10", "Right", "Return")  # jump length 7 s, volume 79, shuffle on
    s.screenshot("player-shuffle", [("shuffle switch selected", player_switch(1), is_(SELECTED)),
                                    ("loop switch not selected", player_switch(0),
                                     is_(UNSELECTED))])
    s.keys("Escape")
    s.expect_screens(2, "Music folder list after the player")
    s.screenshot("music-after-player", [("gamma still selected", folder_row(3), is_(SELECTED))])
    s.keys("XF86Close")  # a remote's Back button (KEY_EXIT)
    s.expect_screens(1, "main menu after Music")

    log("my Picture")
    s.keys("Down", "Return")
    s.expect_screens(2, "Picture folder list")
    s.screenshot("picture-folders", [("first row selected", folder_row(0), is_(SELECTED))])
    s.keys("Return", "Down", "Down")  # into "Pictures", onto the JPEG
    s.screenshot("picture-files", [("b_green selected", folder_row(2), is_(SELECTED))])
    s.keys("Return")
    s.expect_screens(3, "viewer with one JPEG")
    # 240 x 320 fitted to 1280 x 720: 540 x 720 at left 370.
    s.screenshot("viewer-jpeg", [("picture in the middle", (WIDTH // 2, HEIGHT // 2), is_(GREEN)),
                                 ("picture's left edge", (372, 10), is_(GREEN)),
                                 ("black left of it", (367, HEIGHT // 2), is_(BLACK))])
    s.keys("XF86Back")  # an air mouse's Back button (KEY_BACK)
    s.expect_screens(2, "Picture folder list after the viewer")

    lst = Path(s.env["XDG_RUNTIME_DIR"]) / "couchframe" / "couchframe.lst"
    s.keys("ctrl+u", "ctrl+p")  # back to the registered folder, which plays as a list
    s.expect_screens(3, "viewer with the list")
    expect_bytes(lst, f"{pictures}/a_red.bmp\r\n{pictures}/b_green.jpg\r\n".encode(),
                 "picture list")
    # 320 x 240 fitted: 960 x 720 at left 160.
    s.screenshot("viewer-bmp", [("picture in the middle", (WIDTH // 2, HEIGHT // 2), is_(RED)),
                                ("black left of it", (150, HEIGHT // 2), is_(BLACK))])
    s.keys("ctrl+f")
    s.screenshot("viewer-next", [("next picture", (WIDTH // 2, HEIGHT // 2), is_(GREEN)),
                                 ("black beside it", (200, HEIGHT // 2), is_(BLACK))])
    s.keys("ctrl+b", "1", "ctrl+i")  # back to the first, 1 s a picture, progress bar on
    s.screenshot("viewer-back", [("first picture again", (WIDTH // 2, HEIGHT // 2), is_(RED))])
    # The single Play/Pause key: the first press starts the slide show, the second pauses it, so
    # the first picture is still there after more than one display time.
    s.keys("XF86AudioPlay", "XF86AudioPlay")
    time.sleep(2.5)
    s.screenshot("viewer-paused", [("first picture still", (WIDTH // 2, HEIGHT // 2), is_(RED))],
                 timeout=0)
    s.keys("XF86AudioPlay")  # the slide show moves on to the last picture and stops there
    s.screenshot("viewer-slide-show", [("last picture", (WIDTH // 2, HEIGHT // 2), is_(GREEN)),
                                       ("progress bar at one half", PROGRESS_START, greenish),
                                       ("progress bar empty beyond", (WIDTH - 5, PROGRESS_START[1]),
                                        lambda rgb: not greenish(rgb))])
    s.keys("XF86HomePage")  # Home: the viewer and the folder list close, in that order
    s.expect_screens(1, "main menu after Home")
    s.screenshot("main-menu-picture", [("my Picture selected", main_menu_panel(2), is_(SELECTED))])

    log("exit code")
    s.keys(*EXIT_CODE, "Return")
    deadline = time.monotonic() + 15
    while s.app.poll() is None and time.monotonic() < deadline:
        time.sleep(0.1)
    if s.app.poll() is None:
        raise Failure("couchframe did not end after the exit code")
    if s.app.returncode != 0:
        raise Failure(f"couchframe ended with status {s.app.returncode}")

    log("stored preferences")
    exported = run([s.program, "--export-settings", "-"], env=s.env).decode()
    expect_values(exported, r"Settings\Player", {
        "Volume": "dword:0000004f", "SkipSecond": "dword:00000007",
        "SkipFlg": "dword:00000000", "ShowProgress": "dword:00000001"})
    expect_values(exported, r"Settings\Viewer", {
        "DispTime": "dword:00000001", "ShowProgress": "dword:00000001"})


def expect_values(exported, key, expected):
    header = f"[HKEY_CURRENT_USER\\Software\\Quor\\Couchframe\\{key}]"
    lines = exported.splitlines()
    if header not in lines:
        raise Failure(f"no key {header} in the exported settings:\n{exported}")
    values = {}
    for line in lines[lines.index(header) + 1:]:
        if not line.startswith('"'):
            break
        name, _, value = line[1:].partition('"=')
        values[name] = value
    wrong = {n: values.get(n) for n, v in expected.items() if values.get(n) != v}
    if wrong:
        raise Failure(f"{key}: expected {expected}, found {values}")
    log(f"  {key}: {values}")


def log_program_output(out):
    log_file = out / "couchframe.log"
    if log_file.exists():
        log("couchframe.log:\n" + log_file.read_text(errors="replace")[-4000:])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, type=Path)
    parser.add_argument("--out", required=True, type=Path)
    args = parser.parse_args()

    missing = [tool for tool in ("Xvfb", "xdotool") if not shutil.which(tool)]
    if missing:
        log(f"SKIPPED: {' and '.join(missing)} not installed (scripts/install-deps brings them)")
        return SKIP
    for tool in ("xwininfo", "import", "convert", "ffmpeg"):
        if not shutil.which(tool):
            log(f"FAILED: {tool} not installed (scripts/install-deps brings it)")
            return 1

    out = args.out.resolve()
    shutil.rmtree(out / "screenshots", ignore_errors=True)
    (out / "screenshots").mkdir(parents=True)
    # CTest's timeout and Ctrl+C end the run through the same clean-up.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    session = Session(str(args.program.resolve()), out)
    try:
        scenario(session)
    except Failure as failure:
        log(f"FAILED: {failure}")
        if session.x_server and session.x_server.poll() is None:
            session.x("import", "-window", "root", str(out / "screenshots" / "99-failure.png"),
                      check=False)
        log_program_output(out)
        return 1
    finally:
        session.stop()
    log(f"PASSED in {time.monotonic() - session.started:.1f} s; screenshots in {out / 'screenshots'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
