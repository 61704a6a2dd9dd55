#!/usr/bin/env python3
"""The installed program played through real X input under Xvfb.

usage: e2e.py BUILD_DIR ARTEFACT_DIR [--depth 32|16]

Installs BUILD_DIR into a fresh folder (cmake --install), starts Xvfb at
1024x768 and drives `vorlane` with xdotool only, checking what it shows
(screenshots, kept in ARTEFACT_DIR) and what it writes to disk.

Not registered in CTest yet: the colouring, archive and print manager steps
are still to be written, and the steps written have not run against the
launcher.
"""
import argparse
import configparser
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

from PIL import Image

SCREEN = (1024, 768)
# The launcher's fixed layout (window coordinates), see src/launcher/TProgramme.cpp.
LAUNCHER_BUTTONS = {"lancer": (220 + 12, 78 + 12), "impressions": (220 + 12, 78 + 48),
                    "quitter": (220 + 12, 78 + 300)}
BUTTON_SIZE = (153, 29)
THEME_LIST = (0 + 8 + 8, 78 + 80 + 36)
HAZARD_BOX = (0 + 8 + 8, 78 + 80 + 16)
TOLERANCE_EDIT = (0 + 8 + 120, 78 + 288 + 16)


class Failure(Exception):
    pass


class Session:
    def __init__(self, program_dir, artefacts, env):
        self.program_dir = program_dir
        self.artefacts = artefacts
        self.env = env
        self.step = 0

    def xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True)
        if check and result.returncode != 0:
            raise Failure(f"xdotool {' '.join(map(str, args))}: {result.stderr.strip()}")
        return result.stdout.strip()

    def wait_window(self, name, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.xdotool("search", "--onlyvisible", "--name", f"^{name}$", check=False).split()
            if found:
                return found[-1]
            time.sleep(0.2)
        raise Failure(f"no window named {name!r} after {timeout} s")

    def window_origin(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def click(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)
        time.sleep(0.05)
        self.xdotool("click", 1)
        time.sleep(0.15)

    def press_button(self, window, name):
        left, top = self.window_origin(window)
        bx, by = LAUNCHER_BUTTONS[name]
        self.click(left + bx + BUTTON_SIZE[0] // 2, top + by + BUTTON_SIZE[1] // 2)

    def screenshot(self, label):
        self.step += 1
        path = self.artefacts / f"{self.step:02d}-{label}.png"
        subprocess.run(["import", "-window", "root", str(path)], env=self.env, check=True)
        return Image.open(path).convert("RGB")

    def start(self):
        return subprocess.Popen([str(self.program_dir / "vorlane")], env=self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT)


def read_ini(path):
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    parser.optionxform = str
    parser.read(path, encoding="latin-1")
    return parser


def dot_positions(program_dir, theme, picture, appearance):
    """Screen positions of a picture's dots: the picture's offset plus the dot,
    less the pointer's hot-spot offset the game adds to the mouse."""
    look = read_ini(program_dir / "Apparences" / appearance / "apparence.dat")["General"]
    data = read_ini(program_dir / "Themes" / theme / "theme.dat")[f"Image{picture:02d}"]
    dx = int(look["XDessin"]) - int(look["PointeurOffsetX"])
    dy = int(look["YDessin"]) - int(look["PointeurOffsetY"])
    return [(dx + int(data[f"XPoint{n:02d}"]), dy + int(data[f"YPoint{n:02d}"]))
            for n in range(1, int(data["NombrePoints"]) + 1)]


def coloured_picture(path):
    """The bitmap inside a coloured-picture archive, decoded outside the program."""
    with zipfile.ZipFile(path) as archive:
        names = archive.namelist()
        if len(names) != 1:
            raise Failure(f"{path}: {len(names)} members")
        with archive.open(names[0]) as member:
            image = Image.open(member)
            image.load()
            return image.convert("RGB")


def run(build_dir, artefacts, depth):
    artefacts.mkdir(parents=True, exist_ok=True)
    work = Path(tempfile.mkdtemp(prefix="vorlane-e2e-"))
    try:
        program_dir = work / "Vorlane"
        subprocess.run(["cmake", "--install", str(build_dir), "--prefix", str(program_dir)],
                       check=True, capture_output=True)
        runtime = work / "run"
        runtime.mkdir(mode=0o700)
        display = f":{90 + (os.getpid() % 8)}"
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        env = dict(os.environ, DISPLAY=display, XDG_RUNTIME_DIR=str(runtime), HOME=str(work),
                   SDL_AUDIODRIVER="dummy")
        env.pop("QT_QPA_PLATFORM", None)
        if depth == 16:
            env["VORLANE_DEPTHS"] = "16"
        time.sleep(1)
        session = Session(program_dir, artefacts, env)
        first = session.start()
        try:
            play(session, first, program_dir)
        finally:
            if first.poll() is None:
                first.kill()
            xvfb.kill()
    finally:
        shutil.rmtree(work, ignore_errors=True)


def play(session, first, program_dir):
    # 1. A second copy is refused with its box and ends.
    launcher = session.wait_window("Vorlane")
    session.screenshot("lanceur")
    second = session.start()
    session.wait_window("Vorlane", timeout=10)
    time.sleep(0.5)
    session.screenshot("deuxieme-copie")
    session.xdotool("key", "Return")
    try:
        second.wait(timeout=10)
    except subprocess.TimeoutExpired:
        raise Failure("the second copy did not end after its box")

    # 2. "Formes" ticked, random order off, tolerance 15, start.
    left, top = session.window_origin(launcher)
    # The themes are listed in name order: Animaux, Formes.
    session.click(left + THEME_LIST[0] + 10, top + THEME_LIST[1] + 4 + 16 + 8)
    session.click(left + HAZARD_BOX[0] + 6, top + HAZARD_BOX[1] + 8)
    session.click(left + TOLERANCE_EDIT[0] + 18, top + TOLERANCE_EDIT[1] + 10)
    session.xdotool("key", "ctrl+a")
    session.xdotool("type", "15")
    session.screenshot("options")
    session.press_button(launcher, "lancer")
    time.sleep(2)
    session.screenshot("jeu")

    # 3. Every dot of the first picture, in order.
    for x, y in dot_positions(program_dir, "Formes", 1, "Crayons"):
        session.click(x, y)
    time.sleep(0.5)
    session.screenshot("points-relies")
    theme = read_ini(program_dir / "Themes" / "Formes" / "theme.dat")
    if theme["Image01"].get("Imprimer") != "1":
        raise Failure("Imprimer is not 1 once every dot is joined")

    # 4. to 5.: colouring, the archive and the print manager need the game's
    # zone positions, read from the appearance's mask images.
    raise Failure("colouring steps not written yet")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dir", type=Path)
    parser.add_argument("artefacts", type=Path)
    parser.add_argument("--depth", type=int, choices=(32, 16), default=32)
    args = parser.parse_args()
    try:
        run(args.build_dir, args.artefacts, args.depth)
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
