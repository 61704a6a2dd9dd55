#!/usr/bin/env python3
"""The installed program played through real X input under Xvfb.

usage: e2e.py BUILD_DIR ARTEFACT_DIR [--depth 32|16] [--package DEB]

Installs BUILD_DIR into a fresh folder (cmake --install), starts Xvfb at
1024x768 and drives `vorlane` with xdotool only: a second copy is refused,
the launcher's options are set, the first picture of "Formes" is joined dot
by dot, three regions are coloured, the picture is saved on "next", the game
is stopped, the print manager shows the coloured picture, and the launcher is
closed. Every check reads what the program shows (screenshots, kept in
ARTEFACT_DIR) or what it writes to disk, decoded here without the program.

With --package, the Debian package DEB is unpacked instead (dpkg-deb -x), its
program folder made read-only, and the program started from the PATH's
/usr/games/vorlane as an unprivileged user (nobody, when run as root) whose HOME
is a fresh folder: everything the child did must land in that HOME's
.local/share/vorlane, ticks and marks of the shared themes in progression.ini
files, and no byte of the unpacked package may change. Then vorlane-content
refuses shared theme names and adds a theme of the user's, and a user without
any absolute home is refused at the start.
"""
import argparse
import configparser
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
from collections import Counter
from pathlib import Path

from PIL import Image, ImageChops, ImageDraw

SCREEN = (1024, 768)
# OTHER_THEME is listed first and unticked by a click; the other themes are
# left unticked beforehand, as a parent would have left them.
THEME, OTHER_THEME, APPEARANCE = "Formes", "Alphabet", "Crayons"
TOLERANCE = 20

# The launcher's layout in window coordinates (fixed in src/launcher/TProgramme.cpp);
# the themes list's rows follow the 8-point interface font.
BUTTONS = {"lancer": (232, 90), "impressions": (232, 126), "quitter": (232, 378)}
BUTTON_SIZE = (153, 29)
HAZARD_BOX = (23, 182)
THEME_ROW_BOX = (27, 202)  # check box of the first theme row
TOLERANCE_RIGHT_ARROW = (118, 392)
# The print manager: the coloured picture's preview and the "Fermer" button.
COLOURED_PREVIEW = (164 + 441, 60, 200, 150)
CLOSE_BUTTON = (4 + 74, 384 + 12)

# Zones of the game screen: their column in the appearance's key image.
PICTURE, NEXT, STOP, YES, PALETTE = 0, 3, 5, 6, 8


class Failure(Exception):
    pass


def read_ini(path):
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    parser.optionxform = str
    parser.read(path, encoding="latin-1")
    return parser


def close(a, b, tolerance):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


class Appearance:
    """What a player sees of the appearance, read from its own files."""

    def __init__(self, folder):
        self.folder = folder
        general = read_ini(folder / "apparence.dat")["General"]
        # Integers as the program reads them: decimal, or hexadecimal after "0x" (the glow's colours).
        self.values = {key: int(value, 16) if value.lower().startswith("0x") else int(value)
                       for key, value in general.items() if key not in ("Nom",)}
        self.offset = (self.values["PointeurOffsetX"], self.values["PointeurOffsetY"])
        self.picture_origin = (self.values["XDessin"], self.values["YDessin"])
        keys = self.image("M_Couleurs")
        self.keys = [keys.getpixel((k, 0)) for k in range(keys.width)]
        self.mask = self.image("MF_Principale")
        self.panel_mask = self.image("MF_Confirmation")
        self.frame = self.image("F_Coloriage")

    def image(self, name):
        return Image.open(self.folder / f"{name}.qrvi").convert("RGB")

    def zone_point(self, zone, panel=False):
        """A screen point well inside a zone: its pixel nearest the zone's centre."""
        mask = self.panel_mask if panel else self.mask
        points = self.pixels_of(mask, self.keys[zone])
        if not points:
            raise Failure(f"zone {zone} is not in the appearance's mask")
        cx = sum(x for x, _ in points) / len(points)
        cy = sum(y for _, y in points) / len(points)
        x, y = min(points, key=lambda p: (p[0] - cx) ** 2 + (p[1] - cy) ** 2)
        if panel:
            x, y = x + self.values["XOuiNon"], y + self.values["YouiNon"]
        return x, y

    @staticmethod
    def pixels_of(image, colour):
        width = image.width
        return [(i % width, i // width) for i, value in enumerate(image.getdata()) if value == colour]

    def palette_choices(self, count):
        """Mouse points on the palette whose hot spot lies on `count` different,
        clearly coloured pencils, with the colour each one picks."""
        by_colour = {}
        for x, y in self.pixels_of(self.mask, self.keys[PALETTE]):
            colour = self.frame.getpixel((x + self.offset[0], y + self.offset[1]))
            by_colour.setdefault(colour, []).append((x, y))
        chosen = []
        for colour, points in sorted(by_colour.items(), key=lambda item: -len(item[1])):
            if max(colour) - min(colour) < 96 or any(close(colour, c, 120) for c, _ in chosen):
                continue  # greys and near neighbours would not tell the fills apart
            points.sort()
            chosen.append((colour, points[len(points) // 2]))
            if len(chosen) == count:
                return chosen
        raise Failure("the palette has too few distinct colours")

    def mouse_for_picture_point(self, px, py):
        """The mouse position whose hot spot is the picture's pixel (px, py)."""
        return (px + self.picture_origin[0] - self.offset[0], py + self.picture_origin[1] - self.offset[1])


def on_display(colour, depth):
    """A colour as the display shows it: at 16 bits (5-6-5) each component
    keeps its high bits, widened back to 8 by repeating them."""
    if depth != 16:
        return colour

    def widen(value, bits):
        kept = value >> (8 - bits)
        return kept << (8 - bits) | kept >> (2 * bits - 8)

    r, g, b = colour
    return (widen(r, 5), widen(g, 6), widen(b, 5))


def regions_of(picture, depth, count, usable):
    """The `count` largest areas a fill to black would colour, each with a seed
    point for which usable(seed) holds, and the set of its pixels."""
    # What the game treats as border: pixels black once on the display.
    border = Image.new("L", picture.size, 255)
    border.putdata([0 if on_display(p, depth) == (0, 0, 0) else 255 for p in picture.getdata()])
    labels = border.copy()
    access = labels.load()
    label = 1
    for y in range(picture.height):
        for x in range(picture.width):
            if access[x, y] == 255 and label < 255:
                ImageDraw.floodfill(labels, (x, y), label, border=0)
                label += 1
    width = picture.width
    counts = Counter(labels.getdata())
    chosen = []
    for value, _ in counts.most_common():
        if value in (0, 255):
            continue
        pixels = {(i % width, i // width) for i, v in enumerate(labels.getdata()) if v == value}
        cx = sum(x for x, _ in pixels) / len(pixels)
        cy = sum(y for _, y in pixels) / len(pixels)
        for seed in sorted(pixels, key=lambda p: (p[0] - cx) ** 2 + (p[1] - cy) ** 2):
            if usable(seed):
                chosen.append((seed, pixels))
                break
        if len(chosen) == count:
            return chosen
    raise Failure("the finished picture has too few regions to colour")


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


class Session:
    def __init__(self, program_dir, data_dir, command, artefacts, env, depth):
        self.program_dir = program_dir
        self.data_dir = data_dir  # where the program writes: the program folder, or the user's own
        self.command = command
        self.artefacts = artefacts
        self.env = env
        self.depth = depth
        self.step = 0
        self.started = time.monotonic()
        self.mouse = None

    def xdotool(self, *args, check=True):
        # A connection the server refuses for a moment is tried again: the
        # run must not fail by chance.
        for _ in range(25):
            result = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True)
            if "Can't open display" not in result.stderr:
                break
            time.sleep(0.2)
        if check and result.returncode != 0:
            raise Failure(f"xdotool {' '.join(map(str, args))}: {result.stderr.strip()}")
        return result.stdout.strip()

    def windows(self, name):
        found = self.xdotool("search", "--onlyvisible", "--name", f"^{name}$", check=False).split()
        return [(window, self.geometry(window)) for window in found]

    def wait_window(self, name, size=None, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for window, geometry in self.windows(name):
                if size is None or geometry[2:] == size:
                    time.sleep(0.3)  # let it paint
                    return window, geometry
            time.sleep(0.2)
        raise Failure(f"no window named {name!r}{'' if size is None else f' of {size}'} after {timeout} s")

    def wait_gone(self, name, size, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not any(geometry[2:] == size for _, geometry in self.windows(name)):
                return
            time.sleep(0.2)
        raise Failure(f"the window {name!r} is still shown after {timeout} s")

    def geometry(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", window, check=False)
        values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        if not values:
            return (0, 0, 0, 0)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def click(self, x, y, pause=0.15):
        if (x, y) != self.mouse:  # --sync waits for a move, forever if there is none
            self.xdotool("mousemove", "--sync", x, y)
            self.mouse = (x, y)
            time.sleep(0.08)  # the game reads the position at its next frame
        self.xdotool("click", 1)
        time.sleep(pause)

    def click_in(self, geometry, point):
        self.click(geometry[0] + point[0], geometry[1] + point[1])

    def press(self, geometry, button):
        x, y = BUTTONS[button]
        self.click_in(geometry, (x + BUTTON_SIZE[0] // 2, y + BUTTON_SIZE[1] // 2))

    def screenshot(self, label):
        self.step += 1
        print(f"{time.monotonic() - self.started:5.1f} s  {self.step:02d} {label}", flush=True)
        path = self.artefacts / f"{self.step:02d}-{label}.png"
        subprocess.run(["import", "-window", "root", str(path)], env=self.env, check=True)
        return Image.open(path).convert("RGB")

    def start(self, *arguments):
        location = self.xdotool("getmouselocation", "--shell")
        values = dict(line.split("=", 1) for line in location.splitlines() if "=" in line)
        self.mouse = (int(values["X"]), int(values["Y"]))
        return subprocess.Popen([*self.command, *arguments], env=self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT)


def expect(condition, message):
    if not condition:
        raise Failure(message)


def eventually(check, message, timeout=15):
    """Waits for something the program writes: it may lag behind the click."""
    deadline = time.monotonic() + timeout
    while not check():
        if time.monotonic() > deadline:
            raise Failure(message)
        time.sleep(0.2)


def share_equal(image, pixels, expected):
    """The share of `pixels` of `image` that hold the colour `expected(pixel)`."""
    good = sum(1 for p in pixels if image.getpixel(p) == expected(p))
    return good / len(pixels)


def play(session, first):
    program_dir, data_dir, depth = session.program_dir, session.data_dir, session.depth
    look = Appearance(program_dir / "Apparences" / APPEARANCE)
    theme_dir = program_dir / "Themes" / THEME
    written_dir = data_dir / "Themes" / THEME
    # The user's ticks and marks: in theme.dat of a portable folder, in a file of their own for a shared one.
    progress = "theme.dat" if data_dir == program_dir else "progression.ini"
    launcher_size = (397, 481)

    # 1. A second copy is refused with its box and ends.
    _, launcher = session.wait_window("Vorlane", launcher_size)
    session.screenshot("lanceur")
    second = session.start()
    deadline = time.monotonic() + 10
    while second.poll() is None and time.monotonic() < deadline:
        boxes = [g for _, g in session.windows("Vorlane") if g[2:] != launcher_size]
        if boxes:
            session.screenshot("deuxieme-copie")
            session.xdotool("key", "Return")
            break
        time.sleep(0.2)
    try:
        second.wait(timeout=10)
    except subprocess.TimeoutExpired:
        raise Failure("the second copy did not end after its box")
    expect(second.returncode == 0, f"the second copy ended with status {second.returncode}: "
           + second.communicate()[0].decode(errors="replace"))
    expect(first.poll() is None, "the first copy ended with the second")

    # 2. Only "Formes" ticked, random order off, tolerance 15 -> 20, start.
    session.click_in(launcher, THEME_ROW_BOX)  # OTHER_THEME, listed first, is unticked
    session.click_in(launcher, HAZARD_BOX)
    for _ in range(TOLERANCE - 15):
        session.click_in(launcher, TOLERANCE_RIGHT_ARROW)
    session.screenshot("options")
    session.press(launcher, "lancer")
    session.wait_window("Vorlane", SCREEN)
    session.wait_gone("Vorlane", launcher_size)
    time.sleep(1)
    session.screenshot("jeu")

    # 3. Every dot of the first picture, in order.
    data = read_ini(theme_dir / "theme.dat")["Image01"]
    for n in range(1, int(data["NombrePoints"]) + 1):
        session.click(*look.mouse_for_picture_point(int(data[f"XPoint{n:02d}"]), int(data[f"YPoint{n:02d}"])))
    time.sleep(0.5)
    session.screenshot("points-relies")
    eventually(lambda: read_ini(written_dir / progress).has_section("Image01")
               and read_ini(written_dir / progress)["Image01"].get("Imprimer") == "1",
               "Imprimer is not 1 once every dot is joined")

    # 4. Two colours, three regions; next, "Oui"; the archive holds them.
    finished = Image.open(theme_dir / "Image01.bmp").convert("RGB")

    def in_picture_zone(seed):
        return look.mask.getpixel(look.mouse_for_picture_point(*seed)) == look.keys[PICTURE]

    regions = regions_of(finished, depth, 3, in_picture_zone)
    (first_colour, first_pick), (second_colour, second_pick) = look.palette_choices(2)
    # The two largest regions touch (a shape on its background): one of each colour.
    plan = [(first_pick, first_colour, regions[0]), (second_pick, second_colour, regions[1]),
            (None, second_colour, regions[2])]
    for pick, _, (seed, _) in plan:
        if pick is not None:
            session.click(*pick)
        session.click(*look.mouse_for_picture_point(*seed), pause=0.3)
    time.sleep(0.5)
    session.screenshot("colorie")
    session.click(*look.zone_point(NEXT))
    time.sleep(0.5)
    session.screenshot("confirmation")
    session.click(*look.zone_point(YES, panel=True), pause=1.0)
    session.screenshot("image-suivante")

    archive = written_dir / "Couleur01.bmz"
    eventually(archive.exists, "no Couleur01.bmz after answering Oui")
    saved = coloured_picture(archive)
    expect(saved.size == finished.size, f"the coloured picture is {saved.size}, not {finished.size}")
    coloured = set()
    for _, colour, (_, pixels) in plan:
        share = share_equal(saved, pixels, lambda p: on_display(colour, depth))
        expect(share > 0.99, f"only {share:.1%} of a region holds its colour {colour}")
        coloured |= pixels
    rest = [(x, y) for y in range(0, finished.height, 3) for x in range(0, finished.width, 3)
            if (x, y) not in coloured]
    share = share_equal(saved, rest, lambda p: on_display(finished.getpixel(p), depth))
    expect(share > 0.99, f"only {share:.1%} of the picture outside the fills is unchanged")

    # 5. One dot of the next picture, stop, "Oui": back in the launcher.
    data = read_ini(theme_dir / "theme.dat")["Image02"]
    session.click(*look.mouse_for_picture_point(int(data["XPoint01"]), int(data["YPoint01"])))
    session.click(*look.zone_point(STOP))
    time.sleep(0.5)
    session.screenshot("arret")
    session.click(*look.zone_point(YES, panel=True))
    _, launcher = session.wait_window("Vorlane", launcher_size)
    session.wait_gone("Vorlane", SCREEN)
    session.screenshot("retour-lanceur")

    # The print manager shows the coloured picture of the theme's Image01: the
    # tree holds the focus, every theme unfolded; Home then Down walks past the
    # themes listed before it and their pictures.
    session.press(launcher, "impressions")
    manager_name = "Vorlane - Gestion des impressions"
    _, manager = session.wait_window(manager_name)
    before = [t for t in sorted(p.name for p in (program_dir / "Themes").iterdir()) if t < THEME]
    steps = sum(1 + int(read_ini(program_dir / "Themes" / t / "theme.dat")["General"]["NombreImages"])
                for t in before) + 1
    session.xdotool("key", "Home")
    for _ in range(steps):
        session.xdotool("key", "Down")
    time.sleep(0.8)
    shot = session.screenshot("gestion-impressions")
    x, y, w, h = COLOURED_PREVIEW
    shown = shot.crop((manager[0] + x, manager[1] + y, manager[0] + x + w, manager[1] + y + h))
    expected = saved.resize((w, h), Image.BILINEAR)
    difference = ImageChops.difference(shown, expected).convert("L")
    mean = sum(difference.getdata()) / (w * h)
    expect(mean < 12, f"the print manager's coloured preview differs from the archive (mean {mean:.1f})")
    session.click_in(manager, CLOSE_BUTTON)
    session.wait_gone(manager_name, manager[2:])

    # Quitter ends the program and writes the settings and the themes' ticks.
    session.press(launcher, "quitter")
    try:
        first.wait(timeout=15)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end on Quitter")
    expect(first.returncode == 0, f"the program ended with status {first.returncode}")
    settings = read_ini(data_dir / "vorlane.ini")["Configuration"]
    for key, value in (("Tolerance", str(TOLERANCE)), ("Hazard", "0"), ("Son", "1"), ("Apparence", "0")):
        expect(settings.get(key) == value, f"vorlane.ini: {key}={settings.get(key)}, not {value}")
    for theme, check in ((THEME, "1"), (OTHER_THEME, "0")):
        # A tick that did not change is not written: the shared theme.dat's counts.
        stored = None
        for source in (data_dir / "Themes" / theme / progress, program_dir / "Themes" / theme / "theme.dat"):
            ini = read_ini(source)
            if stored is None and ini.has_option("Configuration", "Check"):
                stored = ini["Configuration"]["Check"]
        expect(stored == check, f"{theme}: Check={stored}, not {check}")


def tree_digest(root):
    """Every path under `root` with its bytes' digest or its link's target."""
    digest = {}
    for path in sorted(root.rglob("*")):
        if path.is_symlink():
            digest[str(path)] = "-> " + os.readlink(path)
        elif path.is_file():
            digest[str(path)] = hashlib.sha256(path.read_bytes()).hexdigest()
        else:
            digest[str(path)] = "folder"
    return digest


def leave_unticked(program_dir, data_dir, player):
    """Every theme but THEME and OTHER_THEME unticked in the player's files: for
    a shared folder, as an older version kept them, in a partial theme.dat that
    the program carries over at its start."""
    for theme in (p.name for p in (program_dir / "Themes").iterdir()):
        if theme in (THEME, OTHER_THEME):
            continue
        path = data_dir / "Themes" / theme / "theme.dat"
        if data_dir == program_dir:
            path.write_bytes(path.read_bytes().replace(b"\r\nCheck=1\r\n", b"\r\nCheck=0\r\n"))
            continue
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(b"[Configuration]\r\nCheck=0\r\n")
        if player:  # the folders made here are the player's, as the program would have made them
            local = data_dir.parent.parent
            for made in (local, *local.rglob("*")):
                os.chown(made, 65534, 65534)


# Drawn with a fine pen: a page the judge passes, so that the check of the
# user's folder says only "OK".
HOUSE = ('<svg xmlns="http://www.w3.org/2000/svg" width="400" height="300">'
         '<path d="M50 270 L50 120 L200 30 L350 120 L350 270 Z" fill="none" stroke="black" stroke-width="3"/>'
         '<rect x="170" y="180" width="60" height="90" fill="none" stroke="black" stroke-width="3"/></svg>')


def family(session, root, user, work):
    """A family install after a child played: the shared themes' progress is in
    files of its own; the command line refuses a shared theme's name in any
    letter case, given the program folder or the user's own, and adds a new
    theme to the user's folder; a user with no
    absolute home is refused at the start, with nothing written."""
    data_dir = session.data_dir
    for folder in (data_dir / "Themes").iterdir():
        expect(not (folder / "theme.dat").exists(), f"a theme.dat in the user's {folder.name}")
    tool = [*user, str(root / "usr" / "games" / "vorlane-content")]
    drawing = work / "maison.svg"
    drawing.write_text(HOUSE)
    drawing.chmod(0o644)
    # Through the program folder or the user's own, a shared name is refused
    # in any letter case before anything is written.
    before = tree_digest(data_dir)
    for folder in (session.program_dir, data_dir):
        for theme in (THEME, THEME.lower(), THEME.upper()):
            traced = subprocess.run([*tool, "trace", str(drawing), str(folder), "--theme", theme],
                                    env=session.env, capture_output=True, text=True)
            expect(traced.returncode == 1 and "est celui de Vorlane" in traced.stderr,
                   f"trace into {folder} --theme {theme}: status {traced.returncode}: {traced.stderr}")
    expect(tree_digest(data_dir) == before, "a refused trace wrote into the user's folder")
    traced = subprocess.run([*tool, "trace", str(drawing), str(session.program_dir), "--theme", "Mes dessins"],
                            env=session.env, capture_output=True, text=True)
    expect(traced.returncode == 0, f"trace --theme Mes dessins: status {traced.returncode}: {traced.stderr}")
    checked = subprocess.run([*tool, "check", str(data_dir)], env=session.env, capture_output=True, text=True)
    expect(checked.returncode == 0 and checked.stdout == "Themes/Mes dessins : OK\n",
           f"check of the user's folder: {checked.stdout}{checked.stderr}")

    if not user:
        return  # an ordinary user running the test has a home
    # No password entry, a relative HOME and XDG_DATA_HOME, started from a folder of its own.
    nowhere, runtime = work / "ailleurs", work / "run-4242"
    for folder in (nowhere, runtime):
        folder.mkdir(mode=0o700)
        os.chown(folder, 4242, 4242)
    env = dict(session.env, HOME="maison", XDG_DATA_HOME="donnees", XDG_RUNTIME_DIR=str(runtime))
    homeless = subprocess.Popen(["setpriv", "--reuid=4242", "--regid=4242", "--clear-groups",
                                 str(root / "usr" / "games" / "vorlane")], cwd=nowhere, env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        box, _ = session.wait_window("Vorlane")
        session.screenshot("sans-dossier-personnel")
        session.xdotool("windowfocus", "--sync", box)
        session.xdotool("key", "Return")
        homeless.wait(timeout=15)
    except (Failure, subprocess.TimeoutExpired):
        homeless.kill()
        raise Failure("the program without a home did not end on its message")
    expect(homeless.returncode == 1, f"the program without a home ended with status {homeless.returncode}")
    expect(not any(nowhere.iterdir()), "the program without a home wrote into the current folder")


def unpack(package, work):
    """The package unpacked under `work` with its program folder read-only:
    the root, the program folder, the player's fresh HOME and the command
    prefix that runs a program as the player."""
    root = work / "racine"
    subprocess.run(["dpkg-deb", "-x", str(package), str(root)], check=True)
    program_dir = root / "usr" / "lib" / "vorlane"
    for path in [program_dir, *program_dir.rglob("*")]:
        if not path.is_symlink():
            path.chmod(path.stat().st_mode & ~0o222)
    home = work / "maison"
    home.mkdir()
    user = []
    if os.geteuid() == 0:  # root may write anywhere: play as nobody, as a child's account would
        os.chown(home, 65534, 65534)
        user = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"]
    return root, program_dir, home, user


def run(build_dir, artefacts, depth, package=None):
    artefacts.mkdir(parents=True, exist_ok=True)
    for old in artefacts.glob("*.png"):
        old.unlink()
    work = Path(tempfile.mkdtemp(prefix="vorlane-e2e-"))
    work.chmod(0o755)
    xvfb = None
    first = None
    try:
        runtime = work / "run"
        runtime.mkdir(mode=0o700)
        if package is None:
            program_dir = work / "Vorlane"
            subprocess.run(["cmake", "--install", str(build_dir), "--prefix", str(program_dir)],
                           check=True, capture_output=True)
            home, data_dir, command = work, program_dir, [str(program_dir / "vorlane")]
        else:
            root, program_dir, home, user = unpack(package, work)
            data_dir = home / ".local" / "share" / "vorlane"
            command = [*user, str(root / "usr" / "games" / "vorlane")]
            if user:
                os.chown(runtime, 65534, 65534)
            before = tree_digest(root)
        display = free_display()
        # Without -noreset the server resets when its last client leaves, and
        # refuses whoever connects at that moment.
        xvfb = subprocess.Popen(["Xvfb", display, "-noreset", "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
                                 "-nolisten", "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        env = dict(os.environ, DISPLAY=display, XDG_RUNTIME_DIR=str(runtime), HOME=str(home),
                   SDL_AUDIODRIVER="dummy")
        for variable in ("QT_QPA_PLATFORM", "VORLANE_DEPTHS", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"):
            env.pop(variable, None)
        if depth == 16:
            env["VORLANE_DEPTHS"] = "16"
        wait_for_display(display, env)
        session = Session(program_dir, data_dir, command, artefacts, env, depth)
        leave_unticked(program_dir, data_dir, package is not None and os.geteuid() == 0)
        # Qt's own options mean nothing to the program: right to left, the
        # theme list's boxes and the tolerance's arrows would swap sides.
        first = session.start("-reverse")
        try:
            play(session, first)
            if package is not None:
                family(session, root, user, work)
                expect(tree_digest(root) == before, "the program changed the package's files")
        except Failure:
            session.screenshot("echec")
            raise
    finally:
        if first is not None and first.poll() is None:
            first.kill()
        if first is not None:
            output = first.communicate()[0].decode(errors="replace").strip()
            if output:
                print(output, file=sys.stderr)
        if xvfb is not None:
            # Asked to stop, Xvfb removes its lock file; killed, it leaves it behind.
            xvfb.terminate()
            try:
                xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                xvfb.kill()
                xvfb.wait()
        for path in work.rglob("*"):  # the read-only folders, so that they can be removed
            if path.is_dir() and not path.is_symlink():
                path.chmod(0o755)
        shutil.rmtree(work, ignore_errors=True)


def lock_holder_gone(lock):
    """Whether the X server that wrote a display's lock file is gone (Xvfb
    takes such a number over, its lock and its socket)."""
    try:
        os.kill(int(lock.read_text().strip()), 0)
    except ProcessLookupError:
        return True
    except (OSError, ValueError):
        return False
    return False


def free_display():
    for number in range(90, 200):
        lock = Path(f"/tmp/.X{number}-lock")
        if lock.exists() and not lock_holder_gone(lock):
            continue
        if lock.exists() or not Path(f"/tmp/.X11-unix/X{number}").exists():
            return f":{number}"
    raise Failure("no free X display number")


def wait_for_display(display, env):
    deadline = time.monotonic() + 15
    while time.monotonic() < deadline:
        if subprocess.run(["xdotool", "getdisplaygeometry"], env=env, capture_output=True).returncode == 0:
            return
        time.sleep(0.2)
    raise Failure(f"Xvfb did not start on {display}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dir", type=Path)
    parser.add_argument("artefacts", type=Path)
    parser.add_argument("--depth", type=int, choices=(32, 16), default=32)
    parser.add_argument("--package", type=Path, help="a Debian package to unpack and play instead")
    args = parser.parse_args()
    try:
        run(args.build_dir, args.artefacts, args.depth, args.package)
    except Failure as failure:
        print(f"FAILED: {failure} (screenshots in {args.artefacts})", file=sys.stderr)
        return 1
    print(f"passed at {args.depth} bits; screenshots in {args.artefacts}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
