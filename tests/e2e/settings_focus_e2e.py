#!/usr/bin/env python3
"""The settings dialog on an X server without a window manager: after a folder entry dialog
closes, the keyboard is the settings dialog's again, so its accelerators keep working.

Nothing here gives a window the focus but the program itself: keys go wherever X sends them.
Usage: settings_focus_e2e.py --program build/bin/couchframe --out DIR
Exits 77 (skipped) when Xvfb or xdotool is missing.
"""

import argparse
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True  # nothing is written into the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
from couchframe_e2e import SKIP, Failure, Session, log  # noqa: E402


def scenario(s):
    s.start_x()
    s.app = subprocess.Popen([s.program, "/CONFIG"], env=s.env, cwd=s.root,
                             stdin=subprocess.DEVNULL,
                             stdout=open(s.out / "settings-focus.log", "wb"),
                             stderr=subprocess.STDOUT, start_new_session=True)

    def expect_windows(count, what):
        s.wait_until(f"{what} ({count} windows shown)", lambda: len(s.visible_windows()) == count)

    def press(*keys):
        s.alive()
        s.x("xdotool", "key", "--delay", "60", *keys)

    expect_windows(1, "settings dialog")
    settings = s.visible_windows().pop()
    s.wait_until("the settings dialog has the keyboard",
                 lambda: s.x("xdotool", "getwindowfocus").strip() == str(settings))
    press("ctrl+Tab", "alt+a")  # the "my Video" tab, then Add
    expect_windows(2, "folder entry dialog from Alt+A")
    press("Tab", "Tab", "Tab", "Tab", "Return")  # onto キャンセル; Enter presses it
    expect_windows(1, "folder entry dialog closed by Enter on its Cancel button")
    s.wait_until("the keyboard back on the settings dialog",
                 lambda: s.x("xdotool", "getwindowfocus").strip() == str(settings))
    press("alt+a")
    expect_windows(2, "folder entry dialog from Alt+A once more")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, type=Path)
    parser.add_argument("--out", required=True, type=Path)
    args = parser.parse_args()
    missing = [tool for tool in ("Xvfb", "xdotool") if not shutil.which(tool)]
    if missing:
        log(f"SKIPPED: {' and '.join(missing)} not installed (scripts/install-deps brings them)")
        return SKIP
    out = args.out.resolve()
    out.mkdir(parents=True, exist_ok=True)
    session = Session(str(args.program.resolve()), out)
    started = time.monotonic()
    try:
        scenario(session)
    except Failure as failure:
        log(f"FAILED: {failure}")
        return 1
    finally:
        session.stop()
    log(f"PASSED in {time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
