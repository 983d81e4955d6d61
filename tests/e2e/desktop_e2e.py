#!/usr/bin/env python3
"""The real couchframe program on real desktop parts: process life, the foreground, MPRIS over a
private session bus, the X screen saver, and full screen under Wayland compositors.

Usage: desktop_e2e.py --program build/bin/couchframe --out DIR --case NAME
Exits 77 (skipped) when the case needs a tool or server the machine does not have.
"""

import argparse
import ctypes
import os
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from couchframe_e2e import (SKIP, Failure, Screenshot, Session, is_, log,  # noqa: E402
                            log_program_output, main_menu_panel, run, SELECTED, UNSELECTED,
                            WIDTH, HEIGHT)

EXIT_CODE = "4711"


class Skip(Exception):
    pass


def need(*tools):
    missing = [t for t in tools if not shutil.which(t)]
    if missing:
        raise Skip(f"{' and '.join(missing)} not installed (scripts/install-deps brings them)")


def import_settings(s, active_delay=0, music=None, pictures=None):
    lines = ["Windows Registry Editor Version 5.00", "",
             r"[HKEY_CURRENT_USER\Software\Quor\Couchframe\System]",
             f'"ExitCode"="{EXIT_CODE}"', f'"ActiveDelay"=dword:{active_delay:08x}', ""]
    for key, folder, extensions in (("Video", None, "avi"), ("Music", music, "mp3"),
                                    ("Picture", pictures, "bmp")):
        lines += [f"[HKEY_CURRENT_USER\\Software\\Quor\\Couchframe\\{key}]",
                  f'"Extention"="{extensions}"', f'"ItemCount"=dword:0000000{1 if folder else 0}']
        if folder:
            lines += [f'"Title001"="{key}"', f'"Folder001"="{folder}"', '"Lock001"=dword:00000000']
        lines.append("")
    reg = s.root / "desktop.reg"
    reg.write_text("\n".join(lines))
    run([s.program, "--import-settings", str(reg)], env=s.env)


def make_music(s, seconds=3):
    music = s.media / "Music"
    music.mkdir(parents=True)
    run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", f"sine=frequency=440:duration={seconds}",
         "-c:a", "libmp3lame", "-b:a", "64k", "-metadata", "title=Alpha Tone", "-write_id3v1", "1",
         str(music / "alpha.mp3")])
    return music


def make_pictures(s):
    pictures = s.media / "Pictures"
    pictures.mkdir(parents=True)
    for name, colour in (("a_red", "#ff0000"), ("b_green", "#00ff00")):
        run(["convert", "-size", "64x48", f"xc:{colour}", f"BMP3:{pictures / (name + '.bmp')}"])
    return pictures


def wait_for_exit(s, timeout=20):
    try:
        return s.app.wait(timeout)
    except subprocess.TimeoutExpired:
        raise Failure(f"couchframe did not end within {timeout} s") from None


def end_by_exit_code(s):
    """Types the exit code on the main menu and waits for the program to end with status 0."""
    # Typed to whichever window has the keyboard, as a user would.
    s.x("xdotool", "type", "--delay", "40", EXIT_CODE)
    s.x("xdotool", "key", "Return")
    status = wait_for_exit(s)
    if status != 0:
        raise Failure(f"couchframe ended with status {status} after the exit code")
    log("  the exit code typed ended the program with status 0")


def exported(s):
    return run([s.program, "--export-settings", "-"], env=s.env).decode()


def expect_value(text, key, name, value):
    header = f"[HKEY_CURRENT_USER\\Software\\Quor\\Couchframe\\{key}]"
    lines = text.splitlines()
    if header in lines:
        for line in lines[lines.index(header) + 1:]:
            if not line.startswith('"'):
                break
            if line == f'"{name}"={value}':
                log(f"  {key}\\{name} = {value}")
                return
    raise Failure(f"{key}\\{name} is not {value}:\n{text}")


def open_player(s):
    """Main menu -> my Music -> the folder -> alpha.mp3, playing."""
    s.expect_screens(1, "main menu")
    s.keys("Down", "Return")
    s.expect_screens(2, "Music folder list")
    s.keys("Return", "Down", "Return")
    s.expect_screens(3, "player")


# --- process life -----------------------------------------------------------------------------

def case_no_display(s):
    env = {k: v for k, v in s.env.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    for what, extra in (("no display at all", {}),
                        ("an X display nobody serves", {"DISPLAY": ":9999"}),
                        ("a Wayland compositor that is not there",
                         {"QT_QPA_PLATFORM": "wayland", "WAYLAND_DISPLAY": "couchframe-none"})):
        result = subprocess.run([s.program], env={**env, **extra}, capture_output=True, text=True,
                                timeout=30)
        lines = result.stderr.splitlines()
        if result.returncode != 1 or len(lines) != 1 or "cannot open a display" not in lines[0]:
            raise Failure(f"{what}: status {result.returncode}, stderr:\n{result.stderr}")
        log(f"  {what}: status 1, {lines[0]!r}")


def case_unknown_option(s):
    env = {k: v for k, v in s.env.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    for arguments in (["--bogus"], ["-x"], ["/CONFIG", "--fullscreen"], ["--config", "--help"]):
        result = subprocess.run([s.program, *arguments], env=env, capture_output=True, text=True,
                                timeout=30)
        if result.returncode != 2 or "Usage: couchframe" not in result.stderr:
            raise Failure(f"{arguments}: status {result.returncode}, stderr:\n{result.stderr}")
        log(f"  {' '.join(arguments)}: status 2, {result.stderr.splitlines()[0]!r}")


def case_signal(s, name):
    need("Xvfb", "xdotool", "xwininfo")
    music, pictures = make_music(s, seconds=30), make_pictures(s)
    import_settings(s, music=music, pictures=pictures)
    s.start_x()
    s.start_program()
    if name == "INT":
        s.expect_screens(1, "main menu")
    elif name == "TERM":
        open_player(s)
        s.keys("F10", "F10", "F10")  # volume 80 -> 77
        time.sleep(0.5)
    else:
        s.expect_screens(1, "main menu")
        s.keys("Down", "Down", "Return")
        s.expect_screens(2, "Picture folder list")
        s.keys("Return", "Down", "Return")
        s.expect_screens(3, "viewer")
        s.keys("4", "ctrl+i")  # 4 s a picture, progress bar on
        time.sleep(0.5)
    s.app.send_signal(getattr(signal, "SIG" + name))
    status = wait_for_exit(s)
    if status != 0:
        raise Failure(f"SIG{name}: couchframe ended with status {status}")
    log(f"  SIG{name}: screens closed, status 0")
    text = exported(s)
    if name == "TERM":
        expect_value(text, r"Settings\Player", "Volume", "dword:0000004d")
    elif name == "HUP":
        expect_value(text, r"Settings\Viewer", "DispTime", "dword:00000004")
        expect_value(text, r"Settings\Viewer", "ShowProgress", "dword:00000001")


# --- the foreground ---------------------------------------------------------------------------

def focused_window(s):
    return int(s.x("xdotool", "getwindowfocus").strip() or 0)


def start_window_manager(s, name):
    """Starts the window manager and returns once it manages the screen, so that the program's
    window is one it manages from the start."""
    manager = subprocess.Popen([name], env=s.env, stdout=subprocess.DEVNULL,
                               stderr=open(s.out / f"{name}.log", "wb"), start_new_session=True)
    deadline = time.monotonic() + 15
    while "window id #" not in s.x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False):
        if manager.poll() is not None or time.monotonic() > deadline:
            manager.kill()
            manager.wait()
            raise Failure(f"{name} did not take the screen over (see {name}.log)")
        time.sleep(0.1)
    return manager


def case_focus(s, window_manager):
    need("Xvfb", "xdotool", "xwininfo", "xmessage",
         *(["xprop", window_manager] if window_manager else []))
    import_settings(s, active_delay=4)
    s.start_x()
    helpers = []
    try:
        if window_manager:
            helpers.append(start_window_manager(s, window_manager))
        s.start_program()
        s.expect_screens(1, "main menu")
        other = subprocess.Popen(["xmessage", "-title", "couchframe-other", "-geometry",
                                  "300x100+10+10", "another window"],
                                 env=s.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        helpers.append(other)
        deadline = time.monotonic() + 15
        ids = []
        while not ids and time.monotonic() < deadline:
            ids = s.x("xdotool", "search", "--onlyvisible", "--name", "^couchframe-other$",
                      check=False).split()
            time.sleep(0.1)
        if not ids:
            raise Failure("xmessage did not show its window")
        target = ids[0]
        s.x("xdotool", "windowactivate" if window_manager else "windowfocus", "--sync", target)
        if focused_window(s) != int(target):
            raise Failure("the other window did not take the focus")
        log(f"  another window ({target}) has the keyboard")
        mine = s.visible_windows()
        s.wait_until("the main menu to take the keyboard back",
                     lambda: focused_window(s) in mine, timeout=15)
        log("  the main menu has the keyboard again")
        end_by_exit_code(s)
    finally:
        for helper in helpers:
            helper.kill()
            helper.wait()


# --- the screen kept awake --------------------------------------------------------------------

class XScreenSaverInfo(ctypes.Structure):
    _fields_ = [("window", ctypes.c_ulong), ("state", ctypes.c_int), ("kind", ctypes.c_int),
                ("til_or_since", ctypes.c_ulong), ("idle", ctypes.c_ulong),
                ("eventMask", ctypes.c_ulong)]


SCREEN_SAVER_ON = 1


def saver_state(display_name):
    x11 = ctypes.CDLL("libX11.so.6")
    xss = ctypes.CDLL("libXss.so.1")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xss.XScreenSaverQueryInfo.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                          ctypes.POINTER(XScreenSaverInfo)]
    display = x11.XOpenDisplay(display_name.encode())
    if not display:
        raise Failure(f"cannot open {display_name}")
    info = XScreenSaverInfo()
    xss.XScreenSaverQueryInfo(display, x11.XDefaultRootWindow(display), ctypes.byref(info))
    x11.XCloseDisplay(display)
    return info.state


def case_screen_saver(s):
    need("Xvfb", "xdotool", "xwininfo", "xset", "ffmpeg")
    music = make_music(s, seconds=60)
    import_settings(s, music=music)
    s.start_x()
    s.start_program()
    s.expect_screens(1, "main menu")
    # Set while the program is connected: the last client leaving resets an X server's settings.
    s.x("xset", "s", "2", "2")
    time.sleep(3)
    if saver_state(s.env["DISPLAY"]) != SCREEN_SAVER_ON:
        raise Failure("the X screen saver did not start on the main menu")
    log("  main menu: the X screen saver starts")
    open_player(s)
    time.sleep(5)
    if saver_state(s.env["DISPLAY"]) == SCREEN_SAVER_ON:
        raise Failure("the X screen saver started while the music played")
    log("  playing: the X screen saver stays off")
    s.keys("ctrl+p")
    s.wait_until("the screen saver to start once paused",
                 lambda: saver_state(s.env["DISPLAY"]) == SCREEN_SAVER_ON, timeout=10)
    log("  paused: the X screen saver starts")
    s.keys("ctrl+p")
    s.wait_until("the screen saver to end when playing again",
                 lambda: saver_state(s.env["DISPLAY"]) != SCREEN_SAVER_ON, timeout=10)
    log("  playing again: the X screen saver goes off")
    s.keys("Escape")
    s.expect_screens(2, "Music folder list")
    s.wait_until("the screen saver to start on the menus",
                 lambda: saver_state(s.env["DISPLAY"]) == SCREEN_SAVER_ON, timeout=10)
    log("  menus: the X screen saver starts")


# --- MPRIS --------------------------------------------------------------------------------------

def start_bus(s):
    need("dbus-daemon", "playerctl")
    read_end, write_end = os.pipe()
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nosyslog",
                            f"--print-address={write_end}"], pass_fds=(write_end,),
                           stdout=subprocess.DEVNULL, start_new_session=True)
    os.close(write_end)
    with os.fdopen(read_end) as address:
        s.env["DBUS_SESSION_BUS_ADDRESS"] = address.readline().strip()
    return bus


def playerctl(s, *arguments):
    return subprocess.run(["playerctl", "--player=couchframe", *arguments], env=s.env,
                          capture_output=True, text=True, timeout=20).stdout.strip()


def case_mpris(s):
    need("Xvfb", "xdotool", "xwininfo")
    bus = start_bus(s)
    try:
        music = make_music(s, seconds=60)
        import_settings(s, music=music)
        s.start_x()
        s.start_program()
        s.expect_screens(1, "main menu")
        s.wait_until("the MPRIS player on the bus", lambda: playerctl(s, "status") == "Stopped")
        log("  main menu: Stopped")
        open_player(s)
        s.wait_until("Playing", lambda: playerctl(s, "status") == "Playing")
        title = playerctl(s, "metadata", "title")
        if title != "Alpha Tone":
            raise Failure(f"title {title!r}")
        log("  player: Playing 'Alpha Tone'")
        playerctl(s, "play-pause")
        s.wait_until("Paused", lambda: playerctl(s, "status") == "Paused")
        playerctl(s, "volume", "0.5")
        s.wait_until("volume 0.5", lambda: playerctl(s, "volume").startswith("0.5"))
        log("  play-pause paused it, the volume went to one half")
        s.keys("Escape")
        s.expect_screens(2, "Music folder list")
        expect_value(exported(s), r"Settings\Player", "Volume", "dword:00000032")
    finally:
        bus.kill()
        bus.wait()


# --- Wayland full screen ------------------------------------------------------------------------

def case_wayland(s, compositor):
    need("convert", compositor)
    import_settings(s)
    socket = "couchframe-test-wayland"
    env = {k: v for k, v in s.env.items() if k != "DISPLAY"}
    shot = s.root / "wayland.png"
    if compositor == "cage":
        need("grim")
        if os.geteuid() == 0:
            raise Skip("cage refuses to run as root")
        env.update(WLR_BACKENDS="headless", WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER="pixman",
                   WLR_HEADLESS_OUTPUTS="1")
        server = subprocess.Popen(["cage", "--", "sleep", "600"], env=env,
                                  stdout=subprocess.DEVNULL, stderr=open(s.out / "cage.log", "wb"),
                                  start_new_session=True)
        take = ["grim", str(shot)]
        socket = "wayland-0"
    else:
        server = subprocess.Popen(["weston", "--backend=headless-backend.so",
                                   "--shell=desktop-shell.so",
                                   f"--socket={socket}", f"--width={WIDTH}", f"--height={HEIGHT}",
                                   "--use-pixman", "--debug", "--idle-time=0"], env=env,
                                  stdout=subprocess.DEVNULL,
                                  stderr=open(s.out / "weston.log", "wb"), start_new_session=True)
        take = ["weston-screenshooter"]
    try:
        socket_path = Path(env["XDG_RUNTIME_DIR"]) / socket
        deadline = time.monotonic() + 15
        while not socket_path.exists() and time.monotonic() < deadline and server.poll() is None:
            time.sleep(0.1)
        if not socket_path.exists():
            raise Skip(f"{compositor} did not start headless (see its log in {s.out})")
        env.update(WAYLAND_DISPLAY=socket, QT_QPA_PLATFORM="wayland")
        s.app = subprocess.Popen([s.program], env=env, cwd=s.root, stdin=subprocess.DEVNULL,
                                 stdout=open(s.out / "couchframe.log", "wb"),
                                 stderr=subprocess.STDOUT, start_new_session=True)
        checks = [("my Video selected, at its full-screen place", main_menu_panel(0), SELECTED),
                  ("my Files not selected, at its full-screen place", main_menu_panel(3),
                   UNSELECTED)]

        def good_shot():
            s.alive()
            for old in s.root.glob("wayland-screenshot*.png"):
                old.unlink()
            subprocess.run(take, env=env, cwd=s.root, capture_output=True, timeout=20)
            found = [shot] if shot.exists() else list(s.root.glob("wayland-screenshot*.png"))
            if not found:
                raise Skip(f"{take[0]} could not take a screenshot of {compositor}")
            picture = Screenshot(found[0])
            s.last_failing = [f"{d} at {p}: {picture.at(p)}" for d, p, rgb in checks
                              if not is_(rgb)(picture.at(p))]
            shutil.copy(found[0], s.out / f"{s.case}.png")
            found[0].unlink()
            return not s.last_failing

        try:
            s.wait_until("the main menu full screen", good_shot, timeout=20)
        except Failure as failure:
            raise Failure(f"{failure}: " + "; ".join(s.last_failing)) from None
        log(f"  {s.case}: the main menu covers the output (screenshot {s.case}.png)")
    finally:
        server.terminate()
        server.wait()


CASES = {
    "no-display": case_no_display,
    "unknown-option": case_unknown_option,
    "sigterm-player": lambda s: case_signal(s, "TERM"),
    "sigint-menu": lambda s: case_signal(s, "INT"),
    "sighup-viewer": lambda s: case_signal(s, "HUP"),
    "focus-no-wm": lambda s: case_focus(s, None),
    "focus-openbox": lambda s: case_focus(s, "openbox"),
    "screen-saver": case_screen_saver,
    "mpris": case_mpris,
    "weston-desktop": lambda s: case_wayland(s, "weston"),
    "cage": lambda s: case_wayland(s, "cage"),
}


def main(cases=CASES, description=__doc__):
    """Runs the one case named on the command line; other scripts run their own cases here."""
    parser = argparse.ArgumentParser(description=description.splitlines()[0])
    parser.add_argument("--program", required=True, type=Path)
    parser.add_argument("--out", required=True, type=Path)
    parser.add_argument("--case", required=True, choices=sorted(cases))
    args = parser.parse_args()
    out = (args.out / args.case).resolve()
    shutil.rmtree(out, ignore_errors=True)
    (out / "screenshots").mkdir(parents=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    session = Session(str(args.program.resolve()), out)
    session.case = args.case
    try:
        cases[args.case](session)
    except Skip as reason:
        log(f"SKIPPED: {reason}")
        return SKIP
    except Failure as failure:
        log(f"FAILED: {failure}")
        log_program_output(out)
        return 1
    finally:
        session.stop()
    log(f"PASSED: {args.case}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
