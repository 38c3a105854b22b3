#!/usr/bin/env python3
"""Generate Kaleidor's artwork: program icon, media button glyphs, menu pictures.

Everything here is drawn by this script; running it again rewrites the same
files byte for byte.  Needs Python 3 with Pillow, and rsvg-convert (librsvg)
for rendering the icon SVG to PNG.

    python3 assets/tools/make_artwork.py            # writes into assets/
    python3 assets/tools/make_artwork.py --sheet /tmp/sheet.png
"""

import argparse
import io
import math
import os
import shutil
import subprocess
import sys

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
ASSETS = os.path.dirname(HERE)


def save_png(img, path):
    """Save without any metadata, so the output is reproducible."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img.save(path, format="PNG", optimize=True)


# ---------------------------------------------------------------------------
# Program icon
# ---------------------------------------------------------------------------

PETAL_COLOURS = [
    "#ff4b4b",  # red
    "#ff9a1f",  # orange
    "#ffe03a",  # yellow
    "#48d45e",  # green
    "#27cfe3",  # cyan
    "#3f7bff",  # blue
    "#9d5cff",  # violet
    "#ff4fc1",  # magenta
]


def icon_svg(small=False):
    """The emblem: a rounded tile holding an eight-fold rosette with a play
    button in its middle.  The small variant drops fine detail and fattens
    the shapes so that it still reads at 16-24 pixels."""
    ink = "#160c33"
    out = []
    out.append('<?xml version="1.0" encoding="UTF-8"?>')
    out.append('<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
               'viewBox="0 0 256 256">')
    out.append('  <title>Kaleidor</title>')
    out.append('  <defs>')
    out.append('    <radialGradient id="tile" cx="50%" cy="38%" r="72%">')
    out.append('      <stop offset="0" stop-color="#5a33a8"/>')
    out.append('      <stop offset="1" stop-color="#22124f"/>')
    out.append('    </radialGradient>')
    out.append('    <linearGradient id="gloss" x1="0" y1="0" x2="0" y2="1">')
    out.append('      <stop offset="0" stop-color="#ffffff" stop-opacity="0.35"/>')
    out.append('      <stop offset="1" stop-color="#ffffff" stop-opacity="0"/>')
    out.append('    </linearGradient>')
    out.append('  </defs>')
    if small:
        out.append(f'  <rect x="6" y="6" width="244" height="244" rx="44" '
                   f'fill="url(#tile)" stroke="{ink}" stroke-width="12"/>')
    else:
        out.append(f'  <rect x="8" y="8" width="240" height="240" rx="52" '
                   f'fill="url(#tile)" stroke="{ink}" stroke-width="8"/>')
        out.append('  <path d="M 30 60 Q 30 20 70 20 L 186 20 Q 226 20 226 60 '
                   'L 226 84 Q 128 118 30 84 Z" fill="url(#gloss)"/>')
    out.append('  <g transform="translate(128 128)">')
    if small:
        # fat kites reaching almost to the tile edge
        petal = "M 0 0 L -36 -56 L 0 -112 L 36 -56 Z"
        stroke_w = 8
    else:
        petal = "M 0 0 L -27 -54 L 0 -106 L 27 -54 Z"
        stroke_w = 5
    for i, colour in enumerate(PETAL_COLOURS):
        out.append(f'    <path d="{petal}" fill="{colour}" stroke="{ink}" '
                   f'stroke-width="{stroke_w}" stroke-linejoin="round" '
                   f'transform="rotate({i * 45})"/>')
    if not small:
        # a second, paler ring of smaller kites between the big ones
        inner = "M 0 -30 L -13 -52 L 0 -78 L 13 -52 Z"
        for i in range(8):
            out.append(f'    <path d="{inner}" fill="#ffffff" fill-opacity="0.88" '
                       f'stroke="{ink}" stroke-width="4" stroke-linejoin="round" '
                       f'transform="rotate({i * 45 + 22.5})"/>')
        # glints on each big petal
        for i in range(8):
            out.append(f'    <path d="M -10 -50 L 0 -86 L -3 -52 Z" fill="#ffffff" '
                       f'fill-opacity="0.45" transform="rotate({i * 45})"/>')
    centre_r = 40 if small else 34
    out.append(f'    <circle r="{centre_r}" fill="#ffffff" stroke="{ink}" '
               f'stroke-width="{stroke_w}"/>')
    if small:
        out.append('    <path d="M -13 -20 L 21 0 L -13 20 Z" fill="#3a1f80"/>')
    else:
        out.append('    <path d="M -11 -17 L 18 0 L -11 17 Z" fill="#3a1f80" '
                   'stroke="#3a1f80" stroke-width="4" stroke-linejoin="round"/>')
    out.append('  </g>')
    out.append('</svg>')
    return "\n".join(out) + "\n"


def render_svg(svg_text, size):
    exe = shutil.which("rsvg-convert")
    if not exe:
        sys.exit("rsvg-convert not found (install librsvg2-bin)")
    png = subprocess.run([exe, "-w", str(size), "-h", str(size), "-f", "png"],
                         input=svg_text.encode("utf-8"), check=True,
                         stdout=subprocess.PIPE).stdout
    img = Image.open(io.BytesIO(png))
    img.load()
    return img.convert("RGBA")


ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]


def make_icons():
    big = icon_svg(small=False)
    small = icon_svg(small=True)
    path = os.path.join(ASSETS, "icons", "kaleidor.svg")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(big)
    result = {}
    for size in ICON_SIZES:
        img = render_svg(small if size <= 32 else big, size)
        save_png(img, os.path.join(ASSETS, "icons", f"kaleidor-{size}.png"))
        result[size] = img
    return result


# ---------------------------------------------------------------------------
# Media button glyphs
# ---------------------------------------------------------------------------

GLYPH_H = 16
KEY = (128, 128, 0)          # olive: the colour the program keys out
EN_INK = (0, 0, 0)
DI_INK = (128, 128, 128)
DI_LIGHT = (255, 255, 255)

# (base, light edge, dark edge) for the coloured state
CL_COLOURS = {
    "PLAY":   ((0, 176, 0), (96, 232, 96), (0, 96, 0)),
    "PAUSE":  ((232, 176, 0), (255, 232, 96), (152, 96, 0)),
    "STOP":   ((176, 0, 0), (232, 72, 72), (104, 0, 0)),
    "NEXT":   ((0, 64, 208), (88, 144, 255), (0, 24, 128)),
    "PREV":   ((0, 64, 208), (88, 144, 255), (0, 24, 128)),
    "STEP":   ((0, 64, 208), (88, 144, 255), (0, 24, 128)),
    "BACK":   ((0, 64, 208), (88, 144, 255), (0, 24, 128)),
    "RECORD": ((240, 0, 0), (255, 120, 120), (152, 0, 0)),
    "EJECT":  ((0, 64, 208), (88, 144, 255), (0, 24, 128)),
}


def tri_right(x0, ymid, half):
    """Triangle pointing right: left edge at column x0, 2*half+1 rows tall."""
    pts = set()
    for dy in range(-half, half + 1):
        for i in range(half + 1 - abs(dy)):
            pts.add((x0 + i, ymid + dy))
    return pts


def tri_up(xmid, ytop, half):
    """Triangle pointing up: apex at (xmid, ytop), base 2*half+1 wide."""
    pts = set()
    for i in range(half + 1):
        for dx in range(-i, i + 1):
            pts.add((xmid + dx, ytop + i))
    return pts


def rect(x0, y0, x1, y1):
    return {(x, y) for x in range(x0, x1 + 1) for y in range(y0, y1 + 1)}


def disc(cx, cy, diameter):
    r = diameter / 2.0
    half = diameter // 2
    pts = set()
    for dy in range(-half, half + 1):
        for dx in range(-half, half + 1):
            if dx * dx + dy * dy <= r * r:
                pts.add((cx + dx, cy + dy))
    return pts


def mirror(pts, width):
    return {(width - 1 - x, y) for (x, y) in pts}


def glyph_shapes():
    shapes = {}
    shapes["PLAY"] = (14, tri_right(4, 7, 5))
    shapes["PAUSE"] = (14, rect(3, 2, 5, 12) | rect(8, 2, 10, 12))
    shapes["STOP"] = (14, rect(2, 3, 10, 11))
    nxt = tri_right(3, 7, 5) | tri_right(9, 7, 5) | rect(16, 2, 17, 12)
    shapes["NEXT"] = (21, nxt)
    shapes["PREV"] = (21, mirror(nxt, 21))
    step = tri_right(3, 7, 4) | rect(9, 3, 10, 11)
    shapes["STEP"] = (14, step)
    shapes["BACK"] = (14, mirror(step, 14))
    shapes["RECORD"] = (15, disc(7, 7, 11))
    shapes["EJECT"] = (15, tri_up(7, 2, 5) | rect(2, 10, 12, 12))
    return shapes


def glyph_image(width, pts, state, name):
    img = Image.new("RGB", (width, GLYPH_H), KEY)
    px = img.load()
    if state == "EN":
        for (x, y) in pts:
            px[x, y] = EN_INK
    elif state == "DI":
        for (x, y) in pts:
            px[x + 1, y + 1] = DI_LIGHT
        for (x, y) in pts:
            px[x, y] = DI_INK
    else:
        base, light, dark = CL_COLOURS[name]
        for (x, y) in pts:
            if (x + 1, y) not in pts or (x, y + 1) not in pts:
                px[x, y] = dark
            elif (x - 1, y) not in pts or (x, y - 1) not in pts:
                px[x, y] = light
            else:
                px[x, y] = base
    return img


def make_glyphs():
    shapes = glyph_shapes()
    widths = {}
    images = {}
    for name, (width, pts) in shapes.items():
        assert 12 <= width <= 21, name
        for (x, y) in pts:
            # leave room for the one-pixel highlight of the disabled look
            assert 0 <= x < width - 1 and 0 <= y < GLYPH_H - 1, (name, x, y)
        widths[name] = width
        for state in ("EN", "DI", "CL"):
            img = glyph_image(width, pts, state, name)
            save_png(img, os.path.join(ASSETS, "glyphs", f"{state}_{name}.png"))
            images[f"{state}_{name}"] = img
    assert max(widths.values()) == 21
    return widths, images


# ---------------------------------------------------------------------------
# Menu pictures (16 x 16, RGBA)
# ---------------------------------------------------------------------------

PALETTE = {
    "k": (36, 34, 48, 255),      # outline
    "w": (255, 255, 255, 255),
    "g": (212, 212, 220, 255),   # light grey
    "G": (150, 150, 162, 255),   # grey
    "d": (92, 92, 104, 255),     # dark grey
    "h": (255, 244, 188, 255),   # pale yellow highlight
    "y": (255, 214, 80, 255),    # yellow
    "Y": (226, 164, 40, 255),    # dark yellow
    "o": (255, 146, 36, 255),    # orange
    "r": (228, 48, 48, 255),     # red
    "R": (156, 22, 22, 255),     # dark red
    "p": (255, 150, 160, 255),   # pink
    "e": (64, 184, 64, 255),     # green
    "E": (28, 124, 40, 255),     # dark green
    "l": (150, 230, 128, 255),   # light green
    "b": (64, 124, 228, 255),    # blue
    "B": (32, 64, 164, 255),     # dark blue
    "c": (164, 208, 255, 255),   # light blue
    "s": (128, 196, 255, 255),   # sky
    "n": (176, 112, 58, 255),    # brown
    "N": (118, 70, 34, 255),     # dark brown
    "a": (238, 204, 148, 255),   # tan
    "v": (150, 88, 220, 255),    # violet
    "m": (230, 70, 190, 255),    # magenta
    "t": (0, 158, 148, 255),     # teal
    "T": (0, 100, 96, 255),      # dark teal
}


class Pic:
    """A 16x16 grid of palette letters ('.' = transparent)."""

    def __init__(self):
        self.g = [["."] * 16 for _ in range(16)]

    def put(self, x, y, c):
        if 0 <= x < 16 and 0 <= y < 16:
            self.g[y][x] = c

    def get(self, x, y):
        if 0 <= x < 16 and 0 <= y < 16:
            return self.g[y][x]
        return "."

    def art(self, rows, dx=0, dy=0):
        """Paint ASCII art on top; '.' leaves what is underneath."""
        for y, row in enumerate(rows):
            assert len(row) <= 16, row
            for x, c in enumerate(row):
                if c != ".":
                    self.put(x + dx, y + dy, c)
        return self

    def layer(self, cells, outline="k"):
        """Paint a filled shape (dict (x,y)->colour) with an automatic
        one-pixel outline around it (4-neighbourhood)."""
        for (x, y), c in cells.items():
            self.put(x, y, c)
        for (x, y) in cells:
            for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                if (nx, ny) not in cells:
                    self.put(nx, ny, outline)
        return self

    def image(self):
        img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
        px = img.load()
        for y in range(16):
            for x in range(16):
                c = self.g[y][x]
                if c != ".":
                    px[x, y] = PALETTE[c]
        return img


def fill_rows(rows):
    """ASCII art -> cells dict, for use with Pic.layer()."""
    cells = {}
    for y, row in enumerate(rows):
        for x, c in enumerate(row):
            if c != ".":
                cells[(x, y)] = c
    return cells


def circle_cells(cx, cy, r):
    """Pixels whose centres lie inside a circle (coordinates of centres)."""
    cells = set()
    for y in range(16):
        for x in range(16):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                cells.add((x, y))
    return cells


def pic_open():
    return Pic().art([
        "................",
        "................",
        ".kkkk...........",
        "kYYYYk..........",
        "kYYYYYkkkkkkk...",
        "kYhhhhhhhhhhk...",
        "kYYYYYYYYYYYk...",
        "kYYYkkkkkkkkkkkk",
        "kYYkhhhhhhhhhhk.",
        "kYYkyyyyyyyyyyk.",
        "kYkyyyyyyyyyyk..",
        "kYkyyyyyyyyyyk..",
        "kkyyyyyyyyyyk...",
        "kkkkkkkkkkkkk...",
        "................",
        "................",
    ])


def pic_run():
    return Pic().art([
        "................",
        "................",
        "..kk............",
        "..klkk..........",
        "..klleekk.......",
        "..kleeeeekk.....",
        "..kleeeeeeekk...",
        "..kleeeeeeeeekk.",
        "..keeeeeeeeeEkk.",
        "..keeeeeeeEkk...",
        "..keeeeeEkk.....",
        "..keeeEkk.......",
        "..keEkk.........",
        "..kk............",
        "................",
        "................",
    ])


def pic_exit():
    return Pic().art([
        "................",
        ".kkkkkkkkk......",
        ".knnnnnnnk......",
        ".knNNNNNnkkk....",
        ".knNnnnNnkkrk...",
        ".knNnnnNnkkrrk..",
        ".knNkkkkkkkrrrk.",
        ".knNkrrrrrrrrrrk",
        ".knykRRRRRRRRRRk",
        ".knNkkkkkkkRRRk.",
        ".knNnnnNnkkRRk..",
        ".knNnnnNnkkRk...",
        ".knNNNNNnkkk....",
        ".knnnnnnnk......",
        ".kkkkkkkkk......",
        "................",
    ])


def pic_add():
    p = Pic().art([
        ".kkkkkkkk.......",
        ".kwwwwwwkk......",
        ".kwwwwwwkgk.....",
        ".kwwwwwwkggk....",
        ".kwwwwwwkkkk....",
        ".kwwwwwwwwwk....",
        ".kwGGGGGGGwk....",
        ".kwwwwwwwwwk....",
        ".kwGGGGGGGwk....",
        ".kwwwwwwwwwk....",
        ".kwGGGGGwwwk....",
        ".kwwwwwwwwwk....",
        ".kwGGGGwwwwk....",
        ".kwwwwwwwwwk....",
        ".kwwwwwwwwwk....",
        ".kkkkkkkkkkk....",
    ])
    p.art([
        "..........kkkk..",
        "..........klek..",
        "........kkkleEkk",
        "........klllleek",
        "........keeeeeEk",
        "........kkkeeEkk",
        "..........keEk..",
        "..........kkkk..",
    ], dy=8)
    return p


def pic_delete():
    cells = {}
    for y in range(2, 14):
        for x in range(2, 14):
            if abs(x - y) <= 1 or abs(x + y - 15) <= 1:
                cells[(x, y)] = "r"
    # lighter upper-left faces, darker lower-right faces
    for (x, y) in list(cells):
        if (x + 1, y + 1) not in cells and ((x + 1, y) not in cells or (x, y + 1) not in cells):
            cells[(x, y)] = "R"
        elif (x - 1, y - 1) not in cells and ((x - 1, y) not in cells or (x, y - 1) not in cells):
            cells[(x, y)] = "p"
    return Pic().layer(cells)


def pic_clear():
    p = Pic()
    p.art([
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        ".GG.GGG.GG......",
        "................",
    ])
    body = fill_rows([
        "................",
        "................",
        "..........c.....",
        ".........cbb....",
        "........cbbbb...",
        ".......cbbbbbb..",
        "......cbbbbbbB..",
        ".....wbbbbbbB...",
        "....wppbbbbB....",
        "...wppppbbB.....",
        "..wpppppRB......",
        "...ppppRR.......",
        "....ppRR........",
        ".....RR.........",
        "................",
        "................",
    ])
    p.layer(body)
    return p


def pic_load():
    p = Pic().art([
        "................",
        "................",
        "................",
        "................",
        "................",
        ".kkkk...........",
        "kYYYYk..........",
        "kYYYYYkkkkkkkk..",
        "khhhhhhhhhhhhhk.",
        "kyyyyyyyyyyyyyk.",
        "kyyyyyyyyyyyyyk.",
        "kyyyyyyyyyyyyyk.",
        "kyyyyyyyyyyyyyk.",
        "kyyyyyyyyyyyyyk.",
        "kYYYYYYYYYYYYYk.",
        "kkkkkkkkkkkkkkk.",
    ])
    arrow = fill_rows([
        "................",
        "...........l....",
        "..........lle...",
        ".........lleee..",
        "........lleeeEE.",
        "..........leE...",
        "..........leE...",
        "..........leE...",
        "..........leE...",
        "..........leE...",
        "..........leE...",
    ])
    p.layer(arrow)
    return p


def pic_save():
    return Pic().art([
        "................",
        ".kkkkkkkkkkkkk..",
        ".kbbkgggddgkbbk.",
        ".kcbkgggddgkbbk.",
        ".kcbkgggddgkbbk.",
        ".kcbkkkkkkkkbbk.",
        ".kcbbbbbbbbbbbk.",
        ".kbkkkkkkkkkkbk.",
        ".kbkwwwwwwwwkbk.",
        ".kbkwGGGGGGwkbk.",
        ".kbkwwwwwwwwkbk.",
        ".kbkwGGGGGGwkbk.",
        ".kbkwwwwwwwwkbk.",
        ".kbkwwwwwwwwkBk.",
        ".kkkkkkkkkkkkkk.",
        "................",
    ])


def pic_settings():
    cells = {}
    for y in range(16):
        for x in range(16):
            dx, dy = x + 0.5 - 8, y + 0.5 - 8
            r = math.hypot(dx, dy)
            a = math.atan2(dy, dx)
            rmax = 7.0 if math.cos(8 * a) > 0.25 else 5.3
            if 2.2 < r <= rmax:
                light = dx + dy < -1.5
                dark = dx + dy > 2.5
                cells[(x, y)] = "g" if light else ("d" if dark else "G")
    p = Pic()
    # outline everything, including the hole
    for (x, y), c in cells.items():
        p.put(x, y, c)
    for (x, y) in cells:
        for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
            if (nx, ny) not in cells:
                p.put(nx, ny, "k")
    return p


def pic_font():
    glyph = fill_rows([
        "................",
        "................",
        ".......bb.......",
        "......cbbb......",
        "......cbbb......",
        ".....cb..bb.....",
        ".....cb..bb.....",
        "....cbb..bbb....",
        "....cbbbbbbb....",
        "....cbbbbbbb....",
        "...cbb....bbb...",
        "...cb......bb...",
        "..cbbb....bbbB..",
        "................",
    ])
    return Pic().layer(glyph)


def pic_color():
    body = set()
    for y in range(16):
        for x in range(16):
            dx, dy = (x + 0.5 - 8.0) / 7.6, (y + 0.5 - 8.3) / 6.6
            if dx * dx + dy * dy <= 1.0:
                body.add((x, y))
    notch = circle_cells(14.2, 12.0, 3.0)
    hole = circle_cells(9.5, 10.0, 1.45)
    body -= notch
    body -= hole
    cells = {pos: "a" for pos in body}
    blobs = {"r": (3, 5), "y": (6, 3), "e": (10, 4), "b": (3, 9)}
    for c, (bx, by) in blobs.items():
        for pos in ((bx, by), (bx + 1, by), (bx, by + 1), (bx + 1, by + 1)):
            if pos in cells:
                cells[pos] = c
    return Pic().layer(cells)


def pic_delay():
    face = circle_cells(8, 8, 7.0)
    rim = {pos for pos in face
           if any(n not in face for n in ((pos[0] + 1, pos[1]), (pos[0] - 1, pos[1]),
                                          (pos[0], pos[1] + 1), (pos[0], pos[1] - 1)))}
    cells = {pos: ("b" if pos in rim else "w") for pos in face}
    p = Pic().layer(cells)
    # ticks at 12, 3, 6 and 9
    for pos in ((7, 2), (8, 2), (13, 7), (13, 8), (7, 13), (8, 13), (2, 7), (2, 8)):
        p.put(*pos, "G")
    # hands: minute to 12, hour to about 4
    for y in range(3, 8):
        p.put(7, y, "k")
    p.art([
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        ".......kk.......",
        ".......rkk......",
        ".........kk.....",
        "..........k.....",
    ])
    return p


def pic_slideshow():
    return Pic().art([
        "................",
        "................",
        "kkkkkkkkkkkkkkkk",
        "kddwwddwwddwwddk",
        "kddddddddddddddk",
        "kdkkkkkkkkkkkkdk",
        "kdkssssssssyykdk",
        "kdksssssssyyykdk",
        "kdkssseeesssskdk",
        "kdkseeeeeeesekdk",
        "kdkeeEeeeeeeekdk",
        "kdkkkkkkkkkkkkdk",
        "kddddddddddddddk",
        "kddwwddwwddwwddk",
        "kkkkkkkkkkkkkkkk",
        "................",
    ])


def pic_thumbs():
    p = Pic()
    schemes = [("s", "e", "y"), ("o", "N", "y"), ("c", "b", "w"), ("v", "t", "h")]
    origins = [(0, 0), (9, 0), (0, 9), (9, 9)]
    for (sky, ground, sun), (ox, oy) in zip(schemes, origins):
        for y in range(7):
            for x in range(7):
                edge = x in (0, 6) or y in (0, 6)
                if edge:
                    c = "k"
                elif y <= 3:
                    c = sky
                else:
                    c = ground
                p.put(ox + x, oy + y, c)
        p.put(ox + 4, oy + 2, sun)
        p.put(ox + 2, oy + 3, ground)
    return p


def badge(ring, fill, art):
    """Round badge with a white symbol."""
    disc_cells = circle_cells(8, 8, 7.45)
    cells = {}
    for (x, y) in disc_cells:
        # light upper-left, plain elsewhere
        cells[(x, y)] = fill if (x + y) > 8 else ring
    p = Pic().layer(cells, outline="k")
    # the disc touches the border, so draw its edge explicitly
    for (x, y) in disc_cells:
        for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
            if (nx, ny) not in disc_cells:
                p.put(x, y, "k")
                break
    p.art(art)
    return p


def pic_help():
    return badge("c", "b", [
        "................",
        "................",
        "................",
        "......wwww......",
        ".....ww..ww.....",
        ".........ww.....",
        "........ww......",
        ".......ww.......",
        ".......ww.......",
        "................",
        ".......ww.......",
        ".......ww.......",
    ])


def pic_info():
    return badge("l", "e", [
        "................",
        "................",
        "................",
        ".......ww.......",
        ".......ww.......",
        "................",
        "......www.......",
        ".......ww.......",
        ".......ww.......",
        ".......ww.......",
        ".......ww.......",
        "......wwww......",
    ])


def pic_sysinfo():
    return Pic().art([
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kggggggggggggk.",
        ".kgkkkkkkkkkkgk.",
        ".kgkbbbbbbbbkgk.",
        ".kgkbccccbbbkgk.",
        ".kgkbbbbbbbbkgk.",
        ".kgkbcccccbbkgk.",
        ".kgkbbbbbbbbkgk.",
        ".kgkkkkkkkkkkgk.",
        ".kGGGGGGGGGGeGk.",
        ".kkkkkkkkkkkkkk.",
        "......kGGk......",
        "....kkkGGkkk....",
        "....kGGGGGGk....",
        "....kkkkkkkk....",
    ])


def pic_about():
    star = fill_rows([
        "................",
        ".......yy.......",
        ".......yy.......",
        "......yhyy......",
        "......yhyy......",
        ".yyyyyhyyyyyyy..",
        "..yyyhyyyyyyo...",
        "...yyyyyyyyo....",
        "....yyyyyyo.....",
        "....yyyyyyo.....",
        "...yyyyyyyyo....",
        "...yyyo..yyyo...",
        "..yyyo....yyoo..",
        "..yyo......yoo..",
    ])
    # the art above is lop-sided on purpose for shading; make the outline
    # symmetric by using the mirrored shape as the mask
    mask = set(star) | {(15 - x, y) for (x, y) in star}
    cells = {}
    for pos in mask:
        cells[pos] = star.get(pos, "y")
    return Pic().layer(cells)


def window(p, x0, y0, w, h):
    for y in range(y0, y0 + h):
        for x in range(x0, x0 + w):
            edge = x in (x0, x0 + w - 1) or y in (y0, y0 + h - 1)
            if edge:
                c = "k"
            elif y <= y0 + 2:
                c = "b"
            else:
                c = "w"
            p.put(x, y, c)
    p.put(x0 + w - 3, y0 + 1, "w")
    p.put(x0 + w - 3, y0 + 2, "w")
    p.put(x0 + w - 2, y0 + 1, "c")


def pic_tray():
    p = Pic()
    window(p, 0, 0, 12, 10)
    arrow = fill_rows([
        "................",
        "................",
        "................",
        "................",
        "................",
        "...........le...",
        "...........le...",
        "...........le...",
        "...........le...",
        ".........lleeEE.",
        "..........leeE..",
        "...........eE...",
    ], )
    p.layer({(x, y + 2): c for (x, y), c in arrow.items()})
    return p


def pic_restore():
    p = Pic()
    window(p, 0, 6, 12, 10)
    arrow = fill_rows([
        "................",
        "............l...",
        "...........lle..",
        "..........lleeE.",
        ".........lleeeEE",
        "...........leE..",
        "...........leE..",
        "...........leE..",
        "...........leE..",
    ])
    p.layer({(x - 1, y): c for (x, y), c in arrow.items()})
    return p


def pic_top():
    return Pic().art([
        "................",
        ".....kkkkkk.....",
        ".....kprrRk.....",
        ".....kprrRk.....",
        ".....kprrRk.....",
        ".....kprrRk.....",
        "....kkprrRkk....",
        "...kpprrrrRRk...",
        "...kRRRRRRRRk...",
        "...kkkkkkkkkk...",
        ".......gd.......",
        ".......gd.......",
        ".......gd.......",
        ".......gd.......",
        ".......Gd.......",
        "........d.......",
    ])


MENU_PICTURES = [
    ("open", pic_open), ("run", pic_run), ("exit", pic_exit), ("add", pic_add),
    ("delete", pic_delete), ("clear", pic_clear), ("load", pic_load),
    ("save", pic_save), ("settings", pic_settings), ("font", pic_font),
    ("color", pic_color), ("delay", pic_delay), ("slideshow", pic_slideshow),
    ("thumbs", pic_thumbs), ("help", pic_help), ("info", pic_info),
    ("sysinfo", pic_sysinfo), ("about", pic_about), ("tray", pic_tray),
    ("restore", pic_restore), ("top", pic_top),
]


def make_menu_pictures():
    images = {}
    for name, fn in MENU_PICTURES:
        img = fn().image()
        assert img.size == (16, 16)
        save_png(img, os.path.join(ASSETS, "menu", f"{name}.png"))
        images[name] = img
    return images


# ---------------------------------------------------------------------------
# Contact sheet (for looking at the results; not part of the assets)
# ---------------------------------------------------------------------------

def make_sheet(path, icons, glyphs, menu):
    scale = 4
    face = (212, 208, 200, 255)
    rows = []
    # icons row, on a light and a dark background
    for bg in ((240, 240, 240, 255), (48, 48, 56, 255)):
        w = sum(ICON_SIZES[:6]) + 10 * 6
        strip = Image.new("RGBA", (w, 64), bg)
        x = 0
        for s in ICON_SIZES[:6]:
            strip.alpha_composite(icons[s], (x, 64 - s))
            x += s + 10
        rows.append(strip.resize((w * 2, 128), Image.NEAREST))
    # glyphs as buttons: the key colour shown as button face
    names = ["PLAY", "PAUSE", "STOP", "NEXT", "PREV", "STEP", "BACK", "RECORD", "EJECT"]
    for state in ("EN", "DI", "CL"):
        imgs = [glyphs[f"{state}_{n}"] for n in names]
        w = sum(i.width + 8 for i in imgs) + 2 * len(imgs)
        strip = Image.new("RGBA", (w, 22), (255, 255, 255, 255))
        x = 0
        for g in imgs:
            btn = Image.new("RGBA", (g.width + 8, 22), face)
            data = [face if p == KEY else p + (255,) for p in g.getdata()]
            gl = Image.new("RGBA", g.size)
            gl.putdata(data)
            btn.alpha_composite(gl, (4, 3))
            strip.alpha_composite(btn, (x, 0))
            x += btn.width + 2
        rows.append(strip.resize((w * scale, 22 * scale), Image.NEAREST))
    # raw glyphs with the olive key visible
    imgs = [glyphs[f"{s}_{n}"] for s in ("EN", "DI", "CL") for n in names[:5]]
    w = sum(i.width + 2 for i in imgs)
    strip = Image.new("RGBA", (w, 16), (255, 255, 255, 255))
    x = 0
    for g in imgs:
        strip.paste(g.convert("RGBA"), (x, 0))
        x += g.width + 2
    rows.append(strip.resize((w * scale, 16 * scale), Image.NEAREST))
    # menu pictures on white and on a menu-grey
    for bg in ((255, 255, 255, 255), face):
        w = len(menu) * 20
        strip = Image.new("RGBA", (w, 20), bg)
        for i, (name, img) in enumerate(menu.items()):
            strip.alpha_composite(img, (i * 20 + 2, 2))
        rows.append(strip.resize((w * scale, 20 * scale), Image.NEAREST))
    width = max(r.width for r in rows)
    height = sum(r.height + 8 for r in rows)
    sheet = Image.new("RGBA", (width, height), (180, 180, 190, 255))
    y = 0
    for r in rows:
        sheet.alpha_composite(r, (0, y))
        y += r.height + 8
    sheet.save(path)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--sheet", help="also write a contact sheet PNG here")
    args = ap.parse_args()
    icons = make_icons()
    widths, glyphs = make_glyphs()
    menu = make_menu_pictures()
    for name, w in widths.items():
        print(f"glyph {name:7s} {w:2d} x {GLYPH_H}")
    if args.sheet:
        make_sheet(args.sheet, icons, glyphs, menu)
        print("sheet:", args.sheet)


if __name__ == "__main__":
    main()
