#!/usr/bin/python3
"""Paints the demo book that the application shows until a PDF is imported.

Writes resources/DemoImgs_standard/large/01.jpg ... 10.jpg: 1080 x 1440 pixels (the page size
the settings start with), JPEG quality 80, numbered with leading zeros so that a plain sort of
the names is the reading order.

Run: /usr/bin/python3 scripts/make-resources/make_demo_book.py
Needs python3-pil, python3-numpy and fonts-urw-base35 (Debian); DejaVu fonts stand in when the
URW fonts are missing.
"""

import pathlib

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

import paint
from paint import font, mix, rgb, rgb255, smoothstep

ROOT = pathlib.Path(__file__).resolve().parents[2]
OUT = ROOT / "resources" / "DemoImgs_standard" / "large"
W, H = 1080, 1440
MARGIN = 96
PAPER = "0xfbf8f2"
INK = "0x2b2a28"
ACCENT = "0x1f6f8b"
WARM = "0xc8553d"

SERIF = "P052-Roman"
SERIF_I = "P052-Italic"
SERIF_B = "P052-Bold"
SANS_B = "NimbusSans-Bold"
SANS = "NimbusSans-Regular"

TEXT = {
    "harbour": [
        "The harbour wakes before the town does. Long before the first shutters open, the "
        "fishing boats slip their moorings one by one, their lamps drawing thin yellow lines "
        "across the black water. By the time the bakery lights its ovens, the quay belongs to "
        "the gulls and to the slow knock of hulls against old timber.",
        "Nobody remembers exactly when the town was founded. The oldest houses lean against "
        "each other along the waterfront like tired walkers, their painted fronts faded to "
        "the soft colours of sea glass. Behind them the streets climb steeply, turning into "
        "stairs where the hill becomes too steep for carts.",
        "We arrived in early June, when the days are long enough that evening and morning "
        "almost touch. The light never quite leaves the sky; it only changes colour, from "
        "gold to lilac to a pale, patient blue, and then back again to gold.",
    ],
    "walk": [
        "From the lighthouse a narrow path follows the cliffs north. It is marked only by "
        "cairns, small towers of flat stones that walkers add to as they pass. In fog the "
        "cairns are the only way to tell the path from the drop, and the locals speak of them "
        "with the respect usually kept for old friends.",
        "Every bay along the way has its own character. Some are wide and sandy, with dunes "
        "held together by blue-green grass; others are no more than a gap in the rock where "
        "the sea boils white even on a calm day. In the sheltered ones we found the remains of "
        "stone huts where people once dried fish for the winter.",
        "On the third day the wind turned and the sea went flat and silver. We sat on a ledge "
        "above the water and watched seals hauling themselves onto the skerries, complaining "
        "loudly about the effort, and then lying perfectly still in the thin sun.",
        "Walking here teaches a particular kind of patience. The weather decides the pace, the "
        "tide decides the route, and the light decides when the day is over. All the walker "
        "decides is whether to keep going.",
    ],
    "tides": [
        "Twice a day the sea draws back from the shore and twice a day it returns. The tide "
        "tables pinned in every harbour office are read here the way other places read the "
        "news: carefully, and with an eye on what might go wrong.",
        "At low water the bays become wide, shining plains of wet sand, crossed by channels "
        "that fill first when the sea comes back. Crossing them is a matter of timing. Leave "
        "too late and the water arrives faster than you can walk.",
        "The light on these flats is unlike anything inland. Every puddle holds a piece of "
        "sky, and on still evenings the whole bay turns into a mirror in which the clouds "
        "drift slowly out to sea.",
    ],
}


def landscape(w, h, seed, sky_top, sky_low, sun, ridges, sea=None, horizon=0.62, sun_xy=(0.7, 0.5),
              stars=False):
    """Sky, sun glow, layered ridges and an optional sea with a sun path, as an array."""
    ys, xs = np.mgrid[0:h, 0:w]
    yf = ys / h
    sky = mix(rgb(sky_top), rgb(sky_low), smoothstep(0, horizon, yf) ** 1.3)
    sx, sy = sun_xy
    d = np.hypot(xs / w - sx, (ys - sy * h) / w)
    glow = np.exp(-d * 9) * 0.55 + np.exp(-d * 40) * 0.6
    img = sky + glow[..., None] * (rgb(sun) - sky) * 0.9
    disc = 1 - smoothstep(0.028, 0.032, d)
    img = mix(img, rgb(sun), disc * 0.95)
    clouds = paint.fbm2(h, w, 6, 4, seed + 7)
    band = smoothstep(0.55, 0.75, clouds) * (1 - smoothstep(horizon * 0.4, horizon, yf))
    img = mix(img, np.minimum(rgb(sky_low) * 1.08 + 0.05, 1), band * 0.35)
    if stars:
        rng = np.random.default_rng(seed)
        n = rng.random((h, w))
        s = (n > 0.9985) * (1 - smoothstep(0.0, horizon, yf))
        s = np.asarray(Image.fromarray((s * 255).astype(np.uint8)).filter(
            ImageFilter.GaussianBlur(0.7))) / 255.0
        img = img + (s * 3.0)[..., None]
    sea_top = horizon * h
    for i, (colour, base, amp) in enumerate(ridges):
        line = paint.fbm2(1, w, 3 + 2 * i, 4, seed + 13 * i)[0]
        top = (base - amp * line) * h
        mask = ys >= top[None, :]
        haze = 0.55 * (1 - (i + 1) / len(ridges))
        c = mix(rgb(colour), rgb(sky_low), haze)
        shade = (ys - top[None, :]) / h
        img = np.where(mask[..., None], mix(c, c * 0.75, np.clip(shade * 3, 0, 1)), img)
    if sea:
        below = ys >= sea_top
        t = np.clip((ys - sea_top) / (h - sea_top + 1), 0, 1)
        water = mix(rgb(sea[0]), rgb(sea[1]), t ** 0.7)
        shimmer = paint.noise2(h, w // 8, 40, seed + 3)
        shimmer = np.asarray(Image.fromarray((shimmer * 255).astype(np.uint8)).resize(
            (w, h), Image.BICUBIC)) / 255.0
        path = np.exp(-((xs / w - sx) * (6 + 20 * (1 - t))) ** 2)
        sparkle = smoothstep(0.55, 0.8, shimmer) * path * (1 - t * 0.6)
        water = water + sparkle[..., None] * (rgb(sun) - water) * 0.8
        water = water + ((smoothstep(0.6, 0.9, shimmer) * 0.06) * (1 - t))[..., None]
        img = np.where(below[..., None], water, img)
    return np.clip(img, 0, 1)


DAWN = dict(sky_top="0x2b4a6f", sky_low="0xf3b27a", sun="0xfff1c9",
            ridges=[("0x7c86a6", 0.56, 0.12), ("0x4c5a7a", 0.6, 0.08), ("0x26324a", 0.63, 0.05)],
            sea=("0x5b6f8c", "0x1a2a40"))
DAY = dict(sky_top="0x5f9fd6", sky_low="0xdbeaf3", sun="0xffffff",
           ridges=[("0x8aa7b8", 0.55, 0.1), ("0x4f7a63", 0.6, 0.08), ("0x2f5a44", 0.64, 0.06)],
           sea=("0x5d93b3", "0x1f4f6e"))
NIGHT = dict(sky_top="0x070b1c", sky_low="0x253a66", sun="0xe8eeff",
             ridges=[("0x1c2742", 0.58, 0.1), ("0x111a30", 0.62, 0.06)],
             sea=("0x1d2d52", "0x05080f"), stars=True)
DUSK = dict(sky_top="0x3b2a4f", sky_low="0xf0a25e", sun="0xffd9a0",
            ridges=[("0x8a5a6e", 0.56, 0.1), ("0x4a3050", 0.61, 0.07), ("0x24182c", 0.65, 0.05)],
            sea=("0x7a4e62", "0x20142a"))
MIST = dict(sky_top="0xa9b8c4", sky_low="0xeef1ee", sun="0xffffff",
            ridges=[("0xb7c2c8", 0.5, 0.14), ("0x8b9ba5", 0.58, 0.1), ("0x5d707c", 0.66, 0.06)])
MOSS = dict(sky_top="0x86b3c9", sky_low="0xf2efd9", sun="0xfff8e0",
            ridges=[("0x9fb58c", 0.52, 0.1), ("0x6d8f5a", 0.6, 0.1), ("0x3d5f3a", 0.7, 0.08)])


def illustration(w, h, seed, palette, **kw):
    args = dict(palette)
    args.update(kw)
    return paint.to_image(landscape(w, h, seed, **args))


class Page:
    def __init__(self, number=None, head=None, background=PAPER):
        self.img = Image.new("RGB", (W, H), rgb255(background))
        self.draw = ImageDraw.Draw(self.img)
        self.number = number
        if head:
            f = font(SANS, 20)
            self.draw.text((MARGIN, 54), head.upper(), font=f, fill=rgb255("0x8a857c"))
            self.draw.line((MARGIN, 86, W - MARGIN, 86), fill=rgb255("0xd8d2c6"), width=2)

    def text(self, x, y, width, paragraphs, size=29, leading=44, fill=INK, max_y=H - 150,
             drop_cap=False):
        """Justified paragraphs with indented first lines; returns the y after the last line."""
        f = font(SERIF, size)
        for pi, para in enumerate(paragraphs):
            indent = 0 if pi == 0 else 40
            lines = paint.wrap(self.draw, para, f, width - indent)
            if drop_cap and pi == 0:
                cap = font(SERIF_B, size * 3 + 10)
                letter, para = para[0], para[1:]
                self.draw.text((x, y - 6), letter, font=cap, fill=rgb255(ACCENT))
                cw = self.draw.textlength(letter, font=cap) + 14
                first = paint.wrap(self.draw, para, f, width - cw)
                rest_text = " ".join(first[3:])
                for i, line in enumerate(first[:3]):
                    paint.justify_line(self.draw, (x + cw, y + i * leading), line, f, width - cw,
                                       rgb255(fill))
                y += 3 * leading
                lines = paint.wrap(self.draw, rest_text, f, width) if rest_text else []
                indent = 0
            for i, line in enumerate(lines):
                if y > max_y:
                    return y
                last = i == len(lines) - 1
                xx = x + (indent if i == 0 else 0)
                ww = width - (indent if i == 0 else 0)
                if last:
                    self.draw.text((xx, y), line, font=f, fill=rgb255(fill))
                else:
                    paint.justify_line(self.draw, (xx, y), line, f, ww, rgb255(fill))
                y += leading
        return y

    def heading(self, y, kicker, title):
        self.draw.text((MARGIN, y), kicker.upper(), font=font(SANS_B, 24), fill=rgb255(ACCENT))
        self.draw.text((MARGIN, y + 36), title, font=font(SERIF_B, 68), fill=rgb255(INK))
        return y + 136

    def figure(self, img, x, y, caption=None):
        self.img.paste(img, (x, y))
        if caption:
            self.draw.text((x, y + img.height + 14), caption, font=font(SERIF_I, 23),
                           fill=rgb255("0x6d675e"))
        return y + img.height + (56 if caption else 0)

    def finish(self, path):
        if self.number is not None:
            f = font(SANS, 22)
            t = str(self.number)
            tw = self.draw.textlength(t, font=f)
            self.draw.text(((W - tw) / 2, H - 74), t, font=f, fill=rgb255("0x8a857c"))
        paint.save_jpeg(self.img, path)


def shadowed_text(img, xy, text, fnt, fill, radius=6, opacity=0.55):
    layer = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ImageDraw.Draw(layer).text((xy[0] + 3, xy[1] + 4), text, font=fnt,
                               fill=(0, 0, 0, int(255 * opacity)))
    layer = layer.filter(ImageFilter.GaussianBlur(radius))
    img.paste(layer, (0, 0), layer)
    ImageDraw.Draw(img).text(xy, text, font=fnt, fill=fill)


def centered(draw, y, text, fnt, fill, width=W):
    tw = draw.textlength(text, font=fnt)
    draw.text(((width - tw) / 2, y), text, font=fnt, fill=fill)


def cover():
    p = Page(background="0x000000")
    p.img.paste(illustration(W, H, 11, DAWN, horizon=0.64, sun_xy=(0.68, 0.56)), (0, 0))
    shade = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    sd = ImageDraw.Draw(shade)
    for i in range(420):
        sd.line((0, i, W, i), fill=(10, 20, 40, int(120 * (1 - i / 420))))
    p.img.paste(shade, (0, 0), shade)
    d = ImageDraw.Draw(p.img)
    centered(d, 120, "3D ZARVEX  \u00b7  SAMPLE BOOK", font(SANS_B, 24), (255, 244, 225))
    f = font(SERIF_B, 132)
    for i, word in enumerate(("Northern", "Shores")):
        tw = d.textlength(word, font=f)
        shadowed_text(p.img, ((W - tw) / 2, 190 + i * 140), word, f, (255, 255, 255))
    d = ImageDraw.Draw(p.img)
    centered(d, 500, "A journey along the coast, in words and pictures", font(SERIF_I, 38),
             (255, 240, 220))
    d.line((W / 2 - 60, 570, W / 2 + 60, 570), fill=(255, 226, 180), width=3)
    centered(d, H - 120, "ILLUSTRATED EDITION", font(SANS_B, 22), (235, 228, 215))
    p.finish(OUT / "01.jpg")


def contents():
    p = Page(2, "Northern Shores")
    d = p.draw
    d.text((MARGIN, 150), "Contents", font=font(SERIF_B, 84), fill=rgb255(INK))
    entries = [("1", "The Harbour Town", 3), ("2", "Along the Cliffs", 4),
               ("3", "Coastal Weather", 5), ("4", "Night over the Bay", 6),
               ("5", "The Route", 7), ("6", "Tides and Light", 8), ("7", "Field Sketches", 9)]
    f, fn = font(SERIF, 36), font(SANS_B, 30)
    y = 320
    for num, title, page in entries:
        d.text((MARGIN, y + 4), num, font=fn, fill=rgb255(ACCENT))
        d.text((MARGIN + 60, y), title, font=f, fill=rgb255(INK))
        tw = d.textlength(title, font=f)
        pw = d.textlength(str(page), font=f)
        x = MARGIN + 60 + tw + 16
        while x < W - MARGIN - pw - 20:
            d.ellipse((x, y + 30, x + 4, y + 34), fill=rgb255("0xb5ad9f"))
            x += 16
        d.text((W - MARGIN - pw, y), str(page), font=f, fill=rgb255(INK))
        y += 74
    y += 40
    d.text((MARGIN, y), "About this book", font=font(SANS_B, 28), fill=rgb255(WARM))
    end = p.text(MARGIN, y + 56, W - 2 * MARGIN, [
        "This sample shows what a book made with 3D Zarvex looks like: import a PDF, choose a "
        "template and a style, and publish a book that readers can leaf through in any browser. "
        "Every picture in it was painted by a small program."], size=28, leading=42)
    top = end + 40
    p.figure(illustration(W - 2 * MARGIN, H - 150 - top, 5, MIST, horizon=0.8), MARGIN, top)
    p.finish(OUT / "02.jpg")


def harbour():
    p = Page(3, "The Harbour Town")
    fig = illustration(W - 2 * MARGIN, 460, 21, DAY, horizon=0.6, sun_xy=(0.25, 0.25))
    d = ImageDraw.Draw(fig)
    colours = ["0xd9534f", "0xf0ad4e", "0xf7f1e3", "0x5bc0de", "0xe8d8b0", "0x9b6b43"]
    x = 40
    rng = np.random.default_rng(3)
    while x < fig.width - 80:
        hw, hh = int(rng.integers(46, 70)), int(rng.integers(50, 90))
        base = 300 + int(rng.integers(-4, 4))
        c = rgb255(colours[int(rng.integers(0, len(colours)))])
        d.rectangle((x, base - hh, x + hw, base), fill=c)
        d.polygon([(x - 4, base - hh), (x + hw / 2, base - hh - 28), (x + hw + 4, base - hh)],
                  fill=(70, 52, 48))
        for wy in range(base - hh + 14, base - 14, 24):
            d.rectangle((x + 10, wy, x + 20, wy + 12), fill=(60, 70, 90))
            d.rectangle((x + hw - 20, wy, x + hw - 10, wy + 12), fill=(60, 70, 90))
        x += hw + int(rng.integers(2, 10))
    d.rectangle((0, 300, fig.width, 312), fill=(96, 86, 74))
    y = p.figure(fig, MARGIN, 120, "The waterfront at dawn, seen from the breakwater.")
    y = p.heading(y + 20, "Chapter 1", "The Harbour Town")
    p.text(MARGIN, y + 10, W - 2 * MARGIN, TEXT["harbour"][:2], size=28, leading=42, drop_cap=True)
    p.finish(OUT / "03.jpg")


def cliffs():
    p = Page(4, "Along the Cliffs")
    y = p.heading(120, "Chapter 2", "Along the Cliffs")
    col = (W - 2 * MARGIN - 48) // 2
    paras = TEXT["walk"]
    left_end = p.text(MARGIN, y + 10, col, paras[:2], size=27, leading=40, max_y=H - 140)
    # Pull quote across the right column's top.
    qx = MARGIN + col + 48
    d = p.draw
    d.rectangle((qx, y + 14, qx + 6, y + 250), fill=rgb255(WARM))
    qf = font(SERIF_I, 40)
    for i, line in enumerate(paint.wrap(d, "\u201cThe weather decides the pace, the tide decides "
                                        "the route.\u201d", qf, col - 30)):
        d.text((qx + 28, y + 20 + i * 54), line, font=qf, fill=rgb255(WARM))
    end = p.text(qx, y + 290, col, paras[2:], size=27, leading=40, max_y=H - 140)
    top = max(end, left_end) + 30
    p.figure(illustration(W - 2 * MARGIN, H - 210 - top, 33, MOSS, horizon=0.75,
                          sun_xy=(0.8, 0.3)), MARGIN, top,
             "Cairns mark the path where the cliffs are steepest.")
    p.finish(OUT / "04.jpg")


def weather():
    p = Page(5, "Coastal Weather")
    d = p.draw
    y = p.heading(120, "Chapter 3", "Coastal Weather")
    y = p.text(MARGIN, y + 10, W - 2 * MARGIN, [
        "Summer on this coast is short and bright. The charts below show the average hours of "
        "sunshine and the temperature of the sea, month by month, measured at the harbour."],
        size=28, leading=42)
    months = "JFMAMJJASOND"
    sun = [28, 62, 110, 168, 226, 238, 222, 176, 120, 72, 34, 16]
    sea = [4.1, 3.6, 3.9, 5.2, 7.4, 10.1, 12.6, 13.2, 11.4, 8.9, 6.5, 5.0]
    x0, y0, cw, ch = MARGIN + 60, y + 60, W - 2 * MARGIN - 80, 420
    d.text((MARGIN, y0 - 44), "Sunshine, hours per month", font=font(SANS_B, 26),
           fill=rgb255(INK))
    for v in range(0, 251, 50):
        yy = y0 + ch - v / 250 * ch
        d.line((x0, yy, x0 + cw, yy), fill=rgb255("0xe2dccf"), width=2)
        d.text((MARGIN, yy - 12), str(v), font=font(SANS, 20), fill=rgb255("0x8a857c"))
    bw = cw / 12
    for i, v in enumerate(sun):
        bx = x0 + i * bw + bw * 0.18
        top = y0 + ch - v / 250 * ch
        t = i / 11
        c = tuple(int(a * (1 - t) + b * t) for a, b in zip(rgb255("0xf6a35b"), rgb255(WARM)))
        d.rounded_rectangle((bx, top, bx + bw * 0.64, y0 + ch), radius=6, fill=c)
        d.text((bx + bw * 0.2, y0 + ch + 12), months[i], font=font(SANS_B, 22),
               fill=rgb255("0x6d675e"))
    # Sea temperature as a line over the same months.
    y1 = y0 + ch + 130
    d.text((MARGIN, y1 - 44), "Sea temperature, \u00b0C", font=font(SANS_B, 26), fill=rgb255(INK))
    h2 = 260
    for v in range(0, 16, 5):
        yy = y1 + h2 - v / 15 * h2
        d.line((x0, yy, x0 + cw, yy), fill=rgb255("0xe2dccf"), width=2)
        d.text((MARGIN, yy - 12), str(v), font=font(SANS, 20), fill=rgb255("0x8a857c"))
    pts = [(x0 + (i + 0.5) * bw, y1 + h2 - v / 15 * h2) for i, v in enumerate(sea)]
    d.polygon(pts + [(pts[-1][0], y1 + h2), (pts[0][0], y1 + h2)], fill=rgb255("0xd3e7ee"))
    d.line(pts, fill=rgb255(ACCENT), width=6, joint="curve")
    for x, yy in pts:
        d.ellipse((x - 9, yy - 9, x + 9, yy + 9), fill=rgb255("0xffffff"), outline=rgb255(ACCENT),
                  width=4)
    for i in range(12):
        d.text((x0 + i * bw + bw * 0.38, y1 + h2 + 12), months[i], font=font(SANS_B, 22),
               fill=rgb255("0x6d675e"))
    p.finish(OUT / "05.jpg")


def night():
    p = Page(6, background="0x000000")
    art = illustration(W, H, 41, NIGHT, horizon=0.66, sun_xy=(0.3, 0.22))
    p.img.paste(art, (0, 0))
    shade = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    sd = ImageDraw.Draw(shade)
    for i in range(380):
        sd.line((0, H - i, W, H - i), fill=(3, 6, 14, int(200 * (1 - i / 380))))
    p.img.paste(shade, (0, 0), shade)
    d = ImageDraw.Draw(p.img)
    d.text((MARGIN, H - 300), "CHAPTER 4", font=font(SANS_B, 24), fill=(150, 180, 230))
    d.text((MARGIN, H - 262), "Night over the Bay", font=font(SERIF_B, 72), fill=(255, 255, 255))
    d.text((MARGIN, H - 168), "In midsummer the sky never turns fully dark; the stars come out "
           "only in August.", font=font(SERIF_I, 27), fill=(205, 215, 235))
    d.text((W / 2 - 8, H - 74), "6", font=font(SANS, 22), fill=(160, 170, 190))
    paint.save_jpeg(p.img, OUT / "06.jpg")


def route():
    p = Page(7, "The Route")
    d = p.draw
    y = p.heading(120, "Chapter 5", "The Route")
    mw, mh = W - 2 * MARGIN, 820
    n = paint.fbm2(mh, mw, 5, 5, 77)
    ys, xs = np.mgrid[0:mh, 0:mw]
    land_bias = (xs / mw) * 0.35 - 0.1
    h = n + land_bias
    sea_c, land_c = rgb("0xcfe4ee"), rgb("0xe9e2cc")
    depth = smoothstep(0.2, 0.55, h)
    m = mix(rgb("0x9cc6da"), sea_c, depth)
    land = h > 0.58
    hill = smoothstep(0.58, 0.9, h)
    m = np.where(land[..., None], mix(land_c, rgb("0xa9bf8e"), hill), m)
    edge = np.abs(h - 0.58) < 0.006
    m = np.where(edge[..., None], rgb("0x6d8a9a"), m)
    contour = (np.abs(((h * 20) % 1) - 0.5) < 0.03) & ~land & (h > 0.3)
    m = np.where(contour[..., None], mix(m, rgb("0x7fb0c8"), 0.5), m)
    mp = paint.to_image(m)
    md = ImageDraw.Draw(mp)
    stops = [(0.12, 0.82), (0.3, 0.66), (0.44, 0.52), (0.58, 0.44), (0.7, 0.3), (0.86, 0.18)]
    pts = [(sx * mw, sy * mh) for sx, sy in stops]
    for a, b in zip(pts, pts[1:]):
        steps = int(np.hypot(b[0] - a[0], b[1] - a[1]) / 22)
        for s in range(steps):
            t0, t1 = s / steps, (s + 0.55) / steps
            md.line((a[0] + (b[0] - a[0]) * t0, a[1] + (b[1] - a[1]) * t0,
                     a[0] + (b[0] - a[0]) * t1, a[1] + (b[1] - a[1]) * t1),
                    fill=rgb255(WARM), width=6)
    for i, (x, yy) in enumerate(pts):
        md.ellipse((x - 22, yy - 22, x + 22, yy + 22), fill=rgb255(WARM), outline=(255, 255, 255),
                   width=4)
        label = str(i + 1)
        lf = font(SANS_B, 24)
        md.text((x - md.textlength(label, font=lf) / 2, yy - 14), label, font=lf,
                fill=(255, 255, 255))
    cx, cy = mw - 90, mh - 110
    md.polygon([(cx, cy - 60), (cx + 16, cy), (cx, cy - 10), (cx - 16, cy)], fill=rgb255(INK))
    md.polygon([(cx, cy + 60), (cx + 16, cy), (cx, cy + 10), (cx - 16, cy)],
               fill=rgb255("0xb5ad9f"))
    md.text((cx - 9, cy - 100), "N", font=font(SANS_B, 30), fill=rgb255(INK))
    md.rectangle((0, 0, mw - 1, mh - 1), outline=rgb255("0xb5ad9f"), width=2)
    y = p.figure(mp, MARGIN, y, "Six days on foot: harbour, lighthouse, three bays and the "
                 "northern point.")
    legend = ["Harbour town", "Lighthouse", "Seal skerries", "Stone huts", "Dune bay",
              "Northern point"]
    f = font(SERIF, 26)
    for i, name in enumerate(legend):
        lx = MARGIN + (i % 3) * 300
        ly = y + 10 + (i // 3) * 48
        d.ellipse((lx, ly + 4, lx + 28, ly + 32), fill=rgb255(WARM))
        d.text((lx + 8, ly + 5), str(i + 1), font=font(SANS_B, 18), fill=(255, 255, 255))
        d.text((lx + 40, ly), name, font=f, fill=rgb255(INK))
    p.finish(OUT / "07.jpg")


def tides():
    p = Page(8, "Tides and Light")
    d = p.draw
    y = p.heading(120, "Chapter 6", "Tides and Light")
    col = 560
    end = p.text(MARGIN, y + 10, col, TEXT["tides"], size=28, leading=42)
    bx, bw = MARGIN + col + 40, W - 2 * MARGIN - col - 40
    d.rounded_rectangle((bx, y + 10, bx + bw, y + 560), radius=14, fill=rgb255("0xe8f1f4"))
    d.text((bx + 24, y + 34), "TIDE TABLE", font=font(SANS_B, 24), fill=rgb255(ACCENT))
    rows = [("Mon", "04:12", "16:31"), ("Tue", "04:58", "17:16"), ("Wed", "05:41", "17:59"),
            ("Thu", "06:23", "18:42"), ("Fri", "07:04", "19:24"), ("Sat", "07:47", "20:08"),
            ("Sun", "08:33", "20:55")]
    d.text((bx + 24, y + 84), "Day    High   High", font=font(SANS_B, 22), fill=rgb255(INK))
    for i, (day, a, b) in enumerate(rows):
        ry = y + 130 + i * 56
        if i % 2 == 0:
            d.rectangle((bx + 12, ry - 8, bx + bw - 12, ry + 40), fill=rgb255("0xd6e7ee"))
        d.text((bx + 24, ry), day, font=font(SANS, 24), fill=rgb255(INK))
        d.text((bx + 110, ry), a, font=font(SANS, 24), fill=rgb255(INK))
        d.text((bx + 200, ry), b, font=font(SANS, 24), fill=rgb255(INK))
    gy = max(end, y + 600) + 40
    gw, gh = W - 2 * MARGIN, 300
    ys, xs = np.mgrid[0:gh, 0:gw]
    level = 0.5 + 0.32 * np.sin(xs / gw * 4 * np.pi + 0.6)
    water = ys / gh > 1 - level
    g = mix(rgb("0xf3efe4"), rgb("0xfbf8f2"), ys / gh)
    g = np.where(water[..., None], mix(rgb("0x7fb0c8"), rgb("0x2f6f8f"), ys / gh), g)
    gi = paint.to_image(g)
    gd = ImageDraw.Draw(gi)
    for hx in range(0, 25, 6):
        x = hx / 24 * gw
        gd.line((x, 0, x, gh), fill=(255, 255, 255), width=1)
        gd.text((x + 6, 8), f"{hx:02d}:00", font=font(SANS, 20), fill=rgb255("0x6d675e"))
    p.figure(gi, MARGIN, gy, "Water level over one day: two highs and two lows.")
    p.finish(OUT / "08.jpg")


def sketches():
    p = Page(9, "Field Sketches")
    d = p.draw
    y = p.heading(120, "Chapter 7", "Field Sketches")
    palettes = [(DAWN, "First light"), (DAY, "Noon at the point"), (MIST, "Sea fog"),
                (DUSK, "Evening, west bay"), (MOSS, "Inland moor"), (NIGHT, "Late August")]
    gap = 36
    tw = (W - 2 * MARGIN - gap) // 2
    th = 300
    for i, (pal, caption) in enumerate(palettes):
        x = MARGIN + (i % 2) * (tw + gap)
        yy = y + (i // 2) * (th + 84)
        art = illustration(tw, th, 60 + i, pal, horizon=0.7, sun_xy=(0.3 + 0.1 * i, 0.4))
        sh = paint.soft_shadow(p.img.size, (x, yy, x + tw, yy + th), 8, 0.25, (0, 6))
        p.img.paste(sh, (0, 0), sh)
        p.img.paste(art, (x, yy))
        d.text((x, yy + th + 12), caption, font=font(SERIF_I, 24), fill=rgb255("0x6d675e"))
    p.finish(OUT / "09.jpg")


def back_cover():
    p = Page(background="0x16324a")
    art = landscape(W, H, 90, "0x0f2236", "0x2c5a7a", "0x9fc7e0",
                    [("0x214560", 0.8, 0.06), ("0x173448", 0.86, 0.04)], horizon=0.9,
                    sun_xy=(0.5, 0.9))
    p.img.paste(paint.to_image(art), (0, 0))
    d = ImageDraw.Draw(p.img)
    centered(d, 260, "Northern Shores", font(SERIF_B, 64), (255, 255, 255))
    f = font(SERIF, 32)
    lines = paint.wrap(d, "Twelve days on a northern coast: a harbour town that wakes before "
                       "dawn, cliff paths marked by cairns, seals on the skerries, and the long, "
                       "patient light of midsummer.", f, W - 3 * MARGIN)
    for i, line in enumerate(lines):
        centered(d, 380 + i * 50, line, f, (220, 232, 242))
    centered(d, H - 260, "Made with 3D Zarvex", font(SANS_B, 26), (200, 220, 235))
    # A stand-in for a bar code.
    rng = np.random.default_rng(9)
    x, bx = W / 2 - 120, W / 2 + 120
    d.rectangle((x - 16, H - 200, bx + 16, H - 96), fill=(255, 255, 255))
    while x < bx:
        wbar = int(rng.integers(2, 7))
        d.rectangle((x, H - 188, x + wbar - 1, H - 120), fill=(20, 20, 20))
        x += wbar + int(rng.integers(2, 6))
    centered(d, H - 118, "978 0 00 000000 0", font(SANS, 16), (20, 20, 20))
    paint.save_jpeg(p.img, OUT / "10.jpg")


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    for old in OUT.glob("*.jpg"):
        old.unlink()
    for make in (cover, contents, harbour, cliffs, weather, night, route, tides, sketches,
                 back_cover):
        make()


if __name__ == "__main__":
    main()
