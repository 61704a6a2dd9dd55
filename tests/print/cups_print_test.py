#!/usr/bin/env python3
"""Prints through the print manager on a real CUPS queue and checks the pages.

A cupsd of our own (own configuration, spool and socket, so a cupsd already
running is not touched) gets a cups-pdf queue. The print manager's handler,
run by vorlane_print_driver, prints each of the three forms of a picture; each
click must give one job of one landscape page, with the picture at the
top-left corner of the printable area at the size that fits it to that area.
The queue's PPD is a copy whose printable area has four different margins,
as most inkjets have. Without a default printer the handler must refuse and
print nothing. A curvy page of the demo (the egg of "La ferme", its picture to
colour and its dots) must come out with smooth edges, not the stretched
pixels' steps: rasterised at 300 dpi, fewer than MOST_ALIGNED of its edge
pixels may lie along the pixel grid.

Usage: cups_print_test.py DRIVER DEMO_FOLDER
Exit codes: 0 passed, 1 failed, 77 not root (cupsd and cups-pdf need root).
"""

import glob
import os
import pwd
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

QUEUE = "VorlaneTestPDF"
JOB_TIMEOUT = 120  # seconds for one job to leave the queue
START_TIMEOUT = 20

# Button, colour of its form (R, G, B), the picture's size in pixels (see the
# driver), and whether it is centred within a booklet's margins.
FORMS = [
    ("btnPrintImageDotsOnly", (0, 0, 0), (800, 600), False),  # dark, so printed pure black
    ("btnPrintImage", (144, 238, 144), (800, 600), False),
    ("btnPrintColor", (255, 0, 0), (1000, 300), True),
]
BOOKLET_MARGIN = 12 * 72 / 25.4  # points
# The portrait sheet's margins in points, all different: left, bottom, right, top.
MARGINS = (10, 20, 30, 40)
# Share of edge pixels within 5° of the axes: a bitmap stretched to the page
# gives about two thirds, a smooth drawing about a third.
MOST_ALIGNED = 0.4


class Failure(Exception):
    pass


def run(command, env, timeout=60, check=True):
    result = subprocess.run(command, env=env, capture_output=True, text=True, timeout=timeout)
    if check and result.returncode != 0:
        raise Failure(f"{' '.join(command)} a échoué ({result.returncode}):\n{result.stdout}{result.stderr}")
    return result


def find_ppd():
    for pattern in ("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd", "/usr/share/ppd/**/CUPS-PDF*.ppd",
                    "/usr/share/cups/model/**/CUPS-PDF*.ppd"):
        found = sorted(glob.glob(pattern, recursive=True))
        if found:
            return found[0]
    raise Failure("pas de PPD cups-pdf: installer printer-driver-cups-pdf (scripts/setup.sh)")


def ppd_with_margins(ppd, copy):
    """A copy of `ppd` whose every printable area leaves MARGINS."""
    left, bottom, right, top = MARGINS

    def narrowed(match):
        width, height = float(match.group(2)), float(match.group(3))
        return f'{match.group(1)}"{left} {bottom} {width - right:g} {height - top:g}"'
    with open(ppd, errors="replace") as f:
        text = re.sub(r'(\*ImageableArea [^:]*: )"0 0 ([0-9.]+) ([0-9.]+)"', narrowed, f.read())
    with open(copy, "w") as f:
        f.write(text)
    return copy


class PrivateCups:
    """A cupsd with its own files under `root`, reached through CUPS_SERVER."""

    def __init__(self, root):
        self.root = root
        self.socket = os.path.join(root, "cups.sock")
        self.process = None
        for sub in ("spool/tmp", "cache", "state", "log", "ppd"):
            os.makedirs(os.path.join(root, sub), exist_ok=True)
        with open(os.path.join(root, "cups-files.conf"), "w") as f:
            f.write(f"""ServerRoot {root}
RequestRoot {root}/spool
TempDir {root}/spool/tmp
CacheDir {root}/cache
StateDir {root}/state
ServerBin /usr/lib/cups
DataDir /usr/share/cups
AccessLog {root}/log/access_log
ErrorLog {root}/log/error_log
PageLog {root}/log/page_log
Printcap {root}/printcap
SystemGroup root
""")
        with open(os.path.join(root, "cupsd.conf"), "w") as f:
            f.write(f"""LogLevel info
Listen {self.socket}
Browsing No
WebInterface No
DefaultPolicy vorlane
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy vorlane>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
""")
        self.env = dict(os.environ, CUPS_SERVER=self.socket, QT_QPA_PLATFORM="offscreen")
        for name in ("PRINTER", "LPDEST"):
            self.env.pop(name, None)

    def start(self):
        self.log = open(os.path.join(self.root, "cupsd.out"), "w")
        self.process = subprocess.Popen(
            ["cupsd", "-f", "-c", os.path.join(self.root, "cupsd.conf"),
             "-s", os.path.join(self.root, "cups-files.conf")],
            stdout=self.log, stderr=subprocess.STDOUT, start_new_session=True)
        deadline = time.monotonic() + START_TIMEOUT
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise Failure("cupsd s'est arrêté au démarrage:\n" + self.error_log())
            if run(["lpstat", "-r"], self.env, check=False).stdout.strip() == "scheduler is running":
                return
            time.sleep(0.2)
        raise Failure("cupsd ne répond pas")

    def stop(self):
        if self.process is None or self.process.poll() is not None:
            return
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.log.close()

    def error_log(self):
        try:
            with open(os.path.join(self.root, "log", "error_log"), errors="replace") as f:
                return "".join(f.readlines()[-40:])
        except OSError:
            return ""

    def jobs(self, which):
        lines = run(["lpstat", "-W", which, "-o", QUEUE], self.env).stdout.splitlines()
        return [line for line in lines if line.startswith(QUEUE + "-")]

    def wait_for_jobs(self, completed):
        deadline = time.monotonic() + JOB_TIMEOUT
        while time.monotonic() < deadline:
            if not self.jobs("not-completed") and len(self.jobs("completed")) >= completed:
                break
            if "disabled" in run(["lpstat", "-p", QUEUE], self.env).stdout:
                raise Failure("la file s'est arrêtée:\n" + self.error_log())
            time.sleep(0.3)
        else:
            raise Failure("l'impression ne s'est pas terminée:\n" + self.error_log())
        if len(self.jobs("completed")) != completed:
            raise Failure(f"{len(self.jobs('completed'))} travaux au lieu de {completed}")


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    position = 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise Failure(f"{path}: PPM inattendu")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[position + 1:]


def fit(picture, page):
    """The printed size of `picture` on `page`, as the program computes it."""
    (w, h), (pw, ph) = picture, page
    rx, ry = pw / w, ph / h
    if ry >= rx:
        return pw, round(ph * rx / ry)
    return round(pw * ry / rx), ph


def check_page(pdf, colour, picture, centred, work):
    info = run(["pdfinfo", pdf], {**os.environ}).stdout
    pages = [line.split()[-1] for line in info.splitlines() if line.startswith("Pages:")]
    if pages != ["1"]:
        raise Failure(f"{pdf}: {pages} pages au lieu d'une\n{info}")
    prefix = os.path.join(work, "page")
    # 72 pixels per inch: one pixel per point.
    run(["pdftoppm", "-r", "72", "-singlefile", pdf, prefix], {**os.environ})
    sheet_width, sheet_height, pixels = read_ppm(prefix + ".ppm")

    def pixel(x, y):
        i = 3 * (y * sheet_width + x)
        return tuple(pixels[i:i + 3])

    inked = [(x, y) for y in range(sheet_height) for x in range(sheet_width) if min(pixel(x, y)) < 200]
    if not inked:
        raise Failure(f"{pdf}: page blanche")
    width, height = sheet_width, sheet_height
    page_pixel = pixel
    # A landscape job comes out as a portrait sheet with the page turned a
    # quarter counter-clockwise (IPP "landscape"): the page's top edge runs
    # along the sheet's left edge. Read it back the way up it was printed.
    if sheet_width < sheet_height:
        width, height = sheet_height, sheet_width
        inked = [(sheet_height - 1 - y, x) for x, y in inked]

        def page_pixel(x, y):
            return pixel(y, sheet_height - 1 - x)
    # Turned the same way, the sheet's bottom margin is the page's left one,
    # its left margin the page's top one.
    sheet_left, sheet_bottom, sheet_right, sheet_top = MARGINS
    corner = (sheet_bottom, sheet_left)
    area = (width - sheet_bottom - sheet_top, height - sheet_left - sheet_right)
    left, top = min(x for x, _ in inked), min(y for _, y in inked)
    right, bottom = max(x for x, _ in inked) + 1, max(y for _, y in inked) + 1
    expected = fit(picture, area)
    if centred:
        # Left, top, right, bottom of the page: the sheet's bottom, left, top and right.
        margins = [max(m, BOOKLET_MARGIN) for m in (sheet_bottom, sheet_left, sheet_top, sheet_right)]
        area = (width - margins[0] - margins[2], height - margins[1] - margins[3])
        expected = fit(picture, area)
        corner = (round(margins[0] + (area[0] - expected[0]) / 2), round(margins[1] + (area[1] - expected[1]) / 2))
    print(f"  page {width} × {height}, image ({left}, {top}) {right - left} × {bottom - top}, "
          f"attendue {corner} {expected[0]} × {expected[1]}")
    if abs(left - corner[0]) > 1 or abs(top - corner[1]) > 1:
        raise Failure(f"{pdf}: l'image commence en ({left}, {top}), pas au coin {corner} de la zone imprimable")
    if abs(right - left - expected[0]) > 2 or abs(bottom - top - expected[1]) > 2:
        raise Failure(f"{pdf}: image de {right - left} × {bottom - top} au lieu de {expected[0]} × {expected[1]}")
    centre = page_pixel((left + right) // 2, (top + bottom) // 2)
    if any(abs(a - b) > 40 for a, b in zip(centre, colour)):
        raise Failure(f"{pdf}: couleur {centre} au lieu de {colour}")


def check_smooth(driver, pdf, work):
    prefix = os.path.join(work, "smooth")
    run(["pdftoppm", "-r", "300", "-gray", "-singlefile", pdf, prefix], {**os.environ})
    share = float(run([driver, "edge-share", prefix + ".pgm"], {**os.environ}).stdout)
    print(f"  bords alignés sur la grille : {share:.3f} (au plus {MOST_ALIGNED})")
    if share >= MOST_ALIGNED:
        raise Failure(f"{pdf}: page en escalier, {share:.3f} des bords alignés sur la grille")


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 1
    driver = os.path.abspath(sys.argv[1])
    demo = os.path.abspath(sys.argv[2])
    if os.geteuid() != 0:
        print("cupsd et cups-pdf demandent les droits de root: test non lancé")
        return 77
    for tool in ("cupsd", "lpadmin", "lpstat", "pdfinfo", "pdftoppm"):
        if shutil.which(tool) is None and not os.path.exists("/usr/sbin/" + tool):
            raise Failure(f"{tool} manque: installer cups, printer-driver-cups-pdf, poppler-utils (scripts/setup.sh)")
    os.environ["PATH"] += ":/usr/sbin"
    ppd = find_ppd()

    work = tempfile.mkdtemp(prefix="vorlane-cups-")
    os.chmod(work, 0o755)
    cups = PrivateCups(os.path.join(work, "cups"))
    # cups-pdf writes into ~/PDF of the job's owner: keep what was there.
    out_dir = os.path.join(pwd.getpwuid(os.geteuid()).pw_dir, "PDF")
    out_dir_existed = os.path.isdir(out_dir)
    before = set(os.listdir(out_dir)) if out_dir_existed else set()
    ours = []
    try:
        cups.start()
        program = os.path.join(work, "program")
        run([driver, "make-theme", program, demo], cups.env)
        ppd = ppd_with_margins(ppd, os.path.join(work, "margins.ppd"))
        run(["lpadmin", "-p", QUEUE, "-E", "-v", "cups-pdf:/", "-P", ppd], cups.env)

        print("sans imprimante par défaut")
        refused = run([driver, "print", program, "Animaux", "Image01", "btnPrintImage"], cups.env, check=False)
        if refused.returncode != 2 or "Aucune imprimante par défaut sélectionnée" not in refused.stderr:
            raise Failure(f"sans imprimante par défaut: {refused.returncode} {refused.stdout}{refused.stderr}")
        if cups.jobs("all"):
            raise Failure("un travail est parti sans imprimante par défaut")

        run(["lpadmin", "-d", QUEUE], cups.env)
        for count, (button, colour, picture, centred) in enumerate(FORMS, start=1):
            print(button)
            run([driver, "print", program, "Animaux", "Image01", button], cups.env, timeout=120)
            cups.wait_for_jobs(count)
            new = sorted(set(os.listdir(out_dir)) - before - set(ours)) if os.path.isdir(out_dir) else []
            ours += new
            if len(new) != 1:
                raise Failure(f"{len(new)} fichiers PDF pour un clic: {new}\n{cups.error_log()}")
            # cups-pdf names its file after the job: "Vorlane – Animaux, image 1".
            if "Animaux" not in new[0] or "image_1" not in new[0]:
                raise Failure(f"travail sans le nom de l'image: {new[0]}")
            check_page(os.path.join(out_dir, new[0]), colour, picture, centred, work)
        for count, button in enumerate(("btnPrintImage", "btnPrintImageDotsOnly"), start=len(FORMS) + 1):
            # The demo's pictures are listed by their names.
            print(f"La ferme, 1. œuf, {button}")
            run([driver, "print", program, "La ferme", "1. œuf", button], cups.env, timeout=120)
            cups.wait_for_jobs(count)
            new = sorted(set(os.listdir(out_dir)) - before - set(ours))
            ours += new
            if len(new) != 1:
                raise Failure(f"{len(new)} fichiers PDF pour un clic: {new}\n{cups.error_log()}")
            check_smooth(driver, os.path.join(out_dir, new[0]), work)
        print("cahier plié de La ferme")
        run([driver, "cahier", program, "La ferme"], cups.env, timeout=300)
        cups.wait_for_jobs(len(FORMS) + 3)
        new = sorted(set(os.listdir(out_dir)) - before - set(ours))
        ours += new
        if len(new) != 1:
            raise Failure(f"{len(new)} fichiers PDF pour un cahier: {new}\n{cups.error_log()}")
        info = run(["pdfinfo", os.path.join(out_dir, new[0])], {**os.environ}).stdout
        print("  " + " ; ".join(line for line in info.splitlines() if line.startswith(("Pages", "Page size"))))
        # 13 pages made up to 16: four sheets, eight sides.
        if not re.search(r"^Pages:\s+8$", info, re.M):
            raise Failure(f"le cahier plié n'a pas ses huit côtés de feuille:\n{info}")
        print("réussi")
        return 0
    except (Failure, subprocess.TimeoutExpired) as failure:
        print(f"ÉCHEC: {failure}")
        return 1
    finally:
        if cups.process is not None and cups.process.poll() is None:
            run(["lpadmin", "-x", QUEUE], cups.env, check=False)
        cups.stop()
        for name in ours:
            try:
                os.remove(os.path.join(out_dir, name))
            except OSError:
                pass
        if not out_dir_existed and os.path.isdir(out_dir) and not os.listdir(out_dir):
            os.rmdir(out_dir)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as failure:
        print(f"ÉCHEC: {failure}")
        sys.exit(1)
