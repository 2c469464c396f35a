#!/usr/bin/env python3
"""Writes the SVG sources of the control window's three-state button sprites.

The SVG files next to this script are the pictures' sources (the build renders them to PNG); this script
only keeps the set consistent: one face style per state, one glyph per button. Run it after changing a
glyph or a colour and keep the regenerated SVG files.

Sprite layout: three frames stacked vertically. Which frame is normal, hovered or pressed depends on the
button kind (the button's style sheet positions the background):
  pad buttons (44 x 44): top normal, centre hovered, bottom pressed
  tv (30 x 30):          top pressed, centre normal, bottom hovered
  scenes (60 x 30):      top pressed, centre hovered, bottom normal
"""

import os

HERE = os.path.dirname(os.path.abspath(__file__))

ACCENT = "#4cc2ff"
STATES = {
    # face gradient top, bottom, border, top highlight, glyph colour, glyph offset
    "normal": ("#585858", "#444444", "#262626", "#6c6c6c", "#f0f0f0", 0),
    "hover": ("#676767", "#4f4f4f", ACCENT, "#7d7d7d", "#ffffff", 0),
    "pressed": ("#2a2a2a", "#353535", "#1a1a1a", "#2a2a2a", ACCENT, 1),
}


def face(state, w, h, y0, radius):
    top, bottom, border, highlight, _, _ = STATES[state]
    gid = f"face_{state}"
    return (
        f'  <defs><linearGradient id="{gid}" x1="0" y1="0" x2="0" y2="1">'
        f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/>'
        f"</linearGradient></defs>\n"
        f'  <rect x="1" y="{y0 + 1}" width="{w - 2}" height="{h - 2}" rx="{radius}" ry="{radius}" '
        f'fill="url(#{gid})" stroke="{border}" stroke-width="1.5"/>\n'
        f'  <path d="M{radius + 1} {y0 + 2.5} H{w - radius - 1}" stroke="{highlight}" stroke-width="1" '
        f'stroke-linecap="round" fill="none"/>\n'
    )


def sprite(name, w, h, order, glyph, radius=7, title=""):
    """order: the state of the top, centre and bottom frame."""
    parts = [
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h * 3}" '
        f'viewBox="0 0 {w} {h * 3}" version="1.2" baseProfile="tiny">\n',
        f"  <title>{title or name}</title>\n",
    ]
    for i, state in enumerate(order):
        y0 = i * h
        colour = STATES[state][4]
        offset = STATES[state][5]
        parts.append(f"  <!-- {state} -->\n")
        parts.append(face(state, w, h, y0, radius))
        parts.append(f'  <g transform="translate(0 {y0 + offset})">\n')
        parts.append(glyph(colour, w, h))
        parts.append("  </g>\n")
    parts.append("</svg>\n")
    with open(os.path.join(HERE, name + ".svg"), "w") as f:
        f.write("".join(parts))


def stroke(colour, width=3.2):
    return (f'stroke="{colour}" stroke-width="{width}" stroke-linecap="round" '
            f'stroke-linejoin="round" fill="none"')


# --- pad glyphs (44 x 44) ---------------------------------------------------------------------------

def arrow(angle):
    def glyph(c, w, h):
        return (f'    <g transform="rotate({angle} 22 22)">\n'
                f'      <path d="M22 32 V13" {stroke(c, 3.4)}/>\n'
                f'      <path d="M14.5 20.5 L22 13 L29.5 20.5" {stroke(c, 3.4)}/>\n'
                f"    </g>\n")
    return glyph


def home(c, w, h):
    return (f'    <path d="M12.5 22.5 L22 13.5 L31.5 22.5" {stroke(c, 3)}/>\n'
            f'    <path d="M15.5 20 V31 H28.5 V20" {stroke(c, 2.6)}/>\n'
            f'    <rect x="19.8" y="24.5" width="4.4" height="6.5" rx="1" fill="{c}"/>\n')


def magnifier(sign):
    def glyph(c, w, h):
        s = (f'    <circle cx="20" cy="20" r="8" {stroke(c, 2.8)}/>\n'
             f'    <path d="M26 26 L32 32" {stroke(c, 4)}/>\n'
             f'    <path d="M16 20 H24" {stroke(c, 2.6)}/>\n')
        if sign == "+":
            s += f'    <path d="M20 16 V24" {stroke(c, 2.6)}/>\n'
        return s
    return glyph


def brackets(c):
    # viewfinder corners
    return (f'    <path d="M11 16 V11 H16 M28 11 H33 V16 M33 28 V33 H28 M16 33 H11 V28" {stroke(c, 2)}/>\n')


def flower(c, w, h):
    # near focus: the macro flower
    return (brackets(c)
            + f'    <path d="M17 16.5 L19.5 19.5 L22 15.5 L24.5 19.5 L27 16.5 V21 '
              f'A5 5 0 0 1 17 21 Z" fill="{c}"/>\n'
            + f'    <path d="M22 26 V30.5" {stroke(c, 2)}/>\n'
            + f'    <path d="M22 29.5 C20 27 17.5 27 16.5 27.5 C17.5 29.5 20 30 22 29.5 Z" fill="{c}"/>\n')


def mountain(c, w, h):
    # far focus: the mountains
    return (brackets(c)
            + f'    <path d="M14 29 L19.5 19.5 L23 25 L25.5 21.5 L30 29 Z" fill="{c}"/>\n'
            + f'    <circle cx="27" cy="16" r="2.2" fill="{c}"/>\n')


# --- preview button (30 x 30) -----------------------------------------------------------------------

def tv(c, w, h):
    return (f'    <rect x="6" y="7" width="18" height="13" rx="2" {stroke(c, 2)}/>\n'
            f'    <path d="M13 10.5 L18.5 13.5 L13 16.5 Z" fill="{c}"/>\n'
            f'    <path d="M11 24 H19 M15 20.5 V24" {stroke(c, 2)}/>\n')


# --- scene buttons (60 x 30) ------------------------------------------------------------------------

def moon(c, cx, cy, r):
    # crescent: a circle minus an offset circle, as one path with two arcs
    return (f'    <path d="M{cx + r * 0.35} {cy - r} A{r} {r} 0 1 0 {cx + r} {cy + r * 0.35} '
            f'A{r * 0.8} {r * 0.8} 0 0 1 {cx + r * 0.35} {cy - r} Z" fill="{c}"/>\n')


def star(c, cx, cy, r):
    return (f'    <path d="M{cx} {cy - r} L{cx + r * 0.3} {cy - r * 0.3} L{cx + r} {cy} '
            f'L{cx + r * 0.3} {cy + r * 0.3} L{cx} {cy + r} L{cx - r * 0.3} {cy + r * 0.3} '
            f'L{cx - r} {cy} L{cx - r * 0.3} {cy - r * 0.3} Z" fill="{c}"/>\n')


def sun(c, cx, cy):
    rays = "".join(
        f"M{cx + dx * 6.5:.2f} {cy + dy * 6.5:.2f} L{cx + dx * 9:.2f} {cy + dy * 9:.2f} "
        for dx, dy in [(1, 0), (0.707, 0.707), (0, 1), (-0.707, 0.707), (-1, 0), (-0.707, -0.707),
                       (0, -1), (0.707, -0.707)])
    return (f'    <circle cx="{cx}" cy="{cy}" r="4" fill="{c}"/>\n'
            f'    <path d="{rays}" {stroke(c, 1.8)}/>\n')


def ball(c, cx, cy):
    r = 6.5
    return (f'    <circle cx="{cx}" cy="{cy}" r="{r}" {stroke(c, 1.8)}/>\n'
            f'    <path d="M{cx - r} {cy} H{cx + r} M{cx} {cy - r} V{cy + r}" {stroke(c, 1.4)}/>\n'
            f'    <path d="M{cx - 4.6} {cy - 4.6} C{cx - 1.5} {cy - 2} {cx - 1.5} {cy + 2} {cx - 4.6} {cy + 4.6} '
            f'M{cx + 4.6} {cy - 4.6} C{cx + 1.5} {cy - 2} {cx + 1.5} {cy + 2} {cx + 4.6} {cy + 4.6}" '
            f'{stroke(c, 1.4)}/>\n')


def lowlight(c, w, h):
    return (moon(c, 25, 15.5, 7.5)
            + star(c, 38, 10, 3.2)
            + star(c, 36, 20.5, 2.2))


def sports_day(c, w, h):
    return sun(c, 21, 15) + ball(c, 40, 15)


def sports_night(c, w, h):
    return moon(c, 20, 15.5, 7) + ball(c, 40, 15)


PAD = ("normal", "hover", "pressed")
TV = ("pressed", "normal", "hover")
SCENE = ("pressed", "hover", "normal")

for name, angle in [("uparrow", 0), ("upright", 45), ("rightarrow", 90), ("downright", 135),
                    ("downarrow", 180), ("downleftarrow", 225), ("leftarrow", 270), ("upleft", 315)]:
    sprite(name, 44, 44, PAD, arrow(angle))
sprite("home", 44, 44, PAD, home)
sprite("plus", 44, 44, PAD, magnifier("+"), title="zoom in")
sprite("minus", 44, 44, PAD, magnifier("-"), title="zoom out")
sprite("focusin", 44, 44, PAD, flower, title="focus near")
sprite("focusout", 44, 44, PAD, mountain, title="focus far")
sprite("tv", 30, 30, TV, tv, radius=6, title="preview window")
sprite("lowlight", 60, 30, SCENE, lowlight, radius=6, title="low light")
sprite("sports1", 60, 30, SCENE, sports_day, radius=6, title="sports day")
sprite("sports2", 60, 30, SCENE, sports_night, radius=6, title="sports night")
