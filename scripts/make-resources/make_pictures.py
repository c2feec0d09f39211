#!/usr/bin/python3
"""Paints every picture of the template library.

For each style folder resources/AppFiles/Styles/{template}/{style}/:
  bg.jpg     background picture, 1600 x 1000 (Panoramic: the scene as a 2:1 equirectangular
             panorama, 1600 x 800, centre = front face)
  logo.png   sample logo, 240 x 72 with transparency
  shot.jpg   preview for the template chooser, 320 x 240, showing the demo book's pages 2 and 3
             on the style's background (run make_demo_book.py first)
  b, d, f, l, r, u .jpg   Panoramic only: the six cube faces, 512 x 512, of the same scene
For each template folder resources/AppFiles/Templates/{template}/: icon.png, 64 x 64.

Cube faces: with the viewer at the centre looking at f (front), r lies to the right, b behind,
l to the left, u above, d below. f, r, b and l are upright; u's bottom edge meets f's top edge
and d's top edge meets f's bottom edge (the usual horizontal-cross layout).

Run: /usr/bin/python3 scripts/make-resources/make_pictures.py [template ...]
Needs python3-pil, python3-numpy and fonts-urw-base35 (Debian).
"""

import math
import pathlib
import sys

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

import library
import paint
from paint import font, mix, rgb, rgb255, smoothstep

ROOT = pathlib.Path(__file__).resolve().parents[2]
APPFILES = ROOT / "resources" / "AppFiles"
DEMO = ROOT / "resources" / "DemoImgs_standard" / "large"
BW, BH = 1600, 1000
FACE = 512

# --- flat backgrounds -------------------------------------------------------------------------


def bg_blank(s):
    img = paint.linear_gradient(BW, BH, s.start, s.end, 90)
    img = img + 0.06 * paint.radial(BW, BH, 0.5, 0.05, 0.7)[..., None]
    img = img + 0.025 * (paint.fbm2(BH, BW, 4, 4, 1) - 0.5)[..., None]
    return paint.vignette(img, 0.18)


def bg_ocean(s):
    img = paint.linear_gradient(BW, BH, s.start, s.end, 90)
    ys, xs = np.mgrid[0:BH, 0:BW]
    # Rays of light fanning down from above the top edge.
    ang = np.arctan2(xs - BW * 0.45, ys + BH * 0.6)
    rays = 0.5 + 0.5 * np.sin(ang * 38 + 2 * paint.fbm2(BH, BW, 3, 2, 4))
    rays = rays ** 6 * (1 - smoothstep(0, 0.85, ys / BH))
    img = img + 0.12 * rays[..., None]
    # Caustic net: the ridges of two noise fields.
    n1 = paint.fbm2(BH, BW, 14, 3, 7)
    n2 = paint.fbm2(BH, BW, 11, 3, 9)
    net = (1 - smoothstep(0.0, 0.04, np.abs(n1 - 0.5))) + (1 - smoothstep(0.0, 0.04, np.abs(n2 - 0.5)))
    net = net * (1 - smoothstep(0.1, 0.9, ys / BH)) * (0.4 + 0.6 * paint.fbm2(BH, BW, 3, 2, 8))
    net = np.asarray(Image.fromarray((np.clip(net, 0, 1) * 255).astype(np.uint8)).filter(
        ImageFilter.GaussianBlur(2))) / 255
    img = img + 0.045 * net[..., None] * rgb("0xbff4ff")
    return paint.vignette(img, 0.3)


def bg_sunset(s):
    ys, xs = np.mgrid[0:BH, 0:BW]
    t = ys / BH
    stops = [(0.0, rgb("0x3b2352")), (0.35, rgb(s.end)), (0.62, rgb("0xe4734f")),
             (0.78, rgb(s.start)), (1.0, rgb("0xffd59a"))]
    img = np.zeros((BH, BW, 3))
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        m = (t >= t0) & (t <= t1)
        img[m] = mix(c0, c1, ((t[m] - t0) / (t1 - t0))[..., None])
    d = np.hypot(xs / BW - 0.62, (ys - BH * 0.8) / BW)
    img = img + (np.exp(-d * 6) * 0.35)[..., None] * rgb("0xffe0a0")
    img = mix(img, rgb("0xfff2cf"), 1 - smoothstep(0.045, 0.05, d))
    # Long, thin cloud bands lit from below.
    bands = paint.noise2(BH, BW // 10, 5, 21)
    bands = np.asarray(Image.fromarray((bands * 255).astype(np.uint8)).resize((BW, BH), Image.BICUBIC)) / 255
    clouds = smoothstep(0.58, 0.8, bands * 0.7 + 0.3 * paint.fbm2(BH, BW, 8, 3, 22))
    img = mix(img, mix(rgb("0x6a2f55"), rgb("0xffb07a"), t[..., None]), clouds * 0.55)
    line = paint.fbm2(1, BW, 4, 4, 23)[0]
    hills = ys > (0.86 - 0.06 * line)[None, :] * BH
    img = np.where(hills[..., None], rgb("0x2a1630") * (1 + 0.2 * paint.fbm2(BH, BW, 30, 2, 24))[..., None], img)
    return paint.vignette(img, 0.25)


def bokeh(img, seed, count, colours, rmin, rmax, blur):
    """Out-of-focus lights: translucent discs with brighter rims, blurred."""
    h, w, _ = img.shape
    rng = np.random.default_rng(seed)
    layer = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    d = ImageDraw.Draw(layer, "RGBA")
    for _ in range(count):
        x, y = rng.random() * w, rng.random() * h
        r = rmin + (rmax - rmin) * rng.random() ** 2
        c = rgb255(colours[int(rng.integers(0, len(colours)))])
        a = int(40 + 80 * rng.random())
        d.ellipse((x - r, y - r, x + r, y + r), fill=c + (a,), outline=c + (min(255, a + 60),),
                  width=max(1, int(r / 14)))
    return paint.over(img, layer, blur)


def bg_forest(s):
    img = paint.linear_gradient(BW, BH, s.start, s.end, 90)
    img = mix(img, rgb("0x0e2218"), paint.fbm2(BH, BW, 3, 3, 30) * 0.5)
    img = bokeh(img, 31, 70, ["0xc9e37a", "0xf6e8a6", "0x7fbf6a"], 18, 90, 6)
    img = bokeh(img, 32, 25, ["0xf6e8a6", "0xd8f0a0"], 40, 140, 18)
    return paint.vignette(img, 0.35)


def bg_walnut(s):
    ys, xs = np.mgrid[0:BH, 0:BW]
    plank_w = 320
    plank = xs // plank_w
    warp = paint.noise2(BH // 6, BW, 12, 40)
    warp = np.asarray(Image.fromarray((warp * 255).astype(np.uint8)).resize((BW, BH), Image.BICUBIC)) / 255
    fine = paint.noise2(BH // 16, BW, 220, 41)
    fine = np.asarray(Image.fromarray((fine * 255).astype(np.uint8)).resize((BW, BH), Image.BICUBIC)) / 255
    t = (xs % plank_w) / 48.0 + warp * 3.5 + plank * 3.7 + fine * 0.35
    rings = 0.5 + 0.5 * np.sin(t * 2 * math.pi)
    light, dark = rgb("0x8a5a36"), rgb("0x3e2414")
    img = mix(light, dark, (rings ** 2 * 0.6 + fine * 0.4))
    tone = 0.85 + 0.3 * np.random.default_rng(42).random(BW // plank_w + 1)[plank]
    img = img * tone[..., None]
    seam = (xs % plank_w) < 3
    img = np.where(seam[..., None], img * 0.45, img)
    img = img + 0.08 * paint.radial(BW, BH, 0.5, 0.3, 0.6)[..., None]
    return paint.vignette(img, 0.45)


def bg_leather(s):
    base = rgb(s.color)
    cells = paint.fbm2(BH, BW, 160, 2, 50)
    hgt = np.asarray(Image.fromarray((cells * 255).astype(np.uint8)).filter(ImageFilter.GaussianBlur(1.2))) / 255
    gy, gx = np.gradient(hgt)
    light = np.clip(0.5 + (gx - gy) * 9, 0, 1)
    mottle = paint.fbm2(BH, BW, 5, 4, 51)
    img = base * (0.75 + 0.5 * mottle)[..., None] * (0.8 + 0.4 * light)[..., None]
    # Stitches along a border.
    layer = Image.new("L", (BW, BH), 0)
    d = ImageDraw.Draw(layer)
    m = 60
    for x in range(m, BW - m, 28):
        d.line((x, m, x + 14, m), fill=255, width=4)
        d.line((x, BH - m, x + 14, BH - m), fill=255, width=4)
    for y in range(m, BH - m, 28):
        d.line((m, y, m, y + 14), fill=255, width=4)
        d.line((BW - m, y, BW - m, y + 14), fill=255, width=4)
    st = np.asarray(layer.filter(ImageFilter.GaussianBlur(0.8))) / 255
    img = mix(img, rgb("0xd9b77a"), st * 0.8)
    return paint.vignette(img, 0.5)


def bg_library(s):
    base = rgb(s.color)
    felt = paint.noise2(BH, BW, 400, 60) * 0.5 + paint.fbm2(BH, BW, 6, 3, 61) * 0.5
    img = base * (0.8 + 0.35 * felt)[..., None]
    glow = paint.radial(BW, BH, 0.5, -0.1, 0.9)
    img = img + (glow ** 1.5 * 0.35)[..., None] * rgb("0xffd98a")
    return paint.vignette(img, 0.55)


def bg_paper(s):
    img = np.ones((BH, BW, 3)) * rgb(s.color)
    fib = paint.noise2(BH // 2, BW * 2, 300, 70)
    fib = np.asarray(Image.fromarray((fib * 255).astype(np.uint8)).resize((BW, BH), Image.BICUBIC)) / 255
    img = img - 0.025 * (fib - 0.5)[..., None] - 0.02 * (paint.fbm2(BH, BW, 5, 4, 71) - 0.5)[..., None]
    return paint.vignette(img, 0.08)


def bg_night(s):
    img = paint.linear_gradient(BW, BH, s.start, s.end, 70)
    ys, xs = np.mgrid[0:BH, 0:BW]
    beam = np.exp(-((xs / BW - 0.3 - ys / BH * 0.4) * 5) ** 2) * 0.06
    img = img + beam[..., None] * rgb("0x9fb8d8")
    img = img + 0.02 * (paint.fbm2(BH, BW, 4, 4, 80) - 0.5)[..., None]
    return paint.vignette(img, 0.3)


def bg_mint(s):
    img = paint.linear_gradient(BW, BH, s.start, s.end, 60)
    layer = Image.new("RGBA", (BW, BH), (0, 0, 0, 0))
    d = ImageDraw.Draw(layer, "RGBA")
    rng = np.random.default_rng(90)
    for c in ["0xffffff", "0x9fd8c8", "0xc9ece2", "0x7cc4b2", "0xffffff", "0xb5e0d6"]:
        x, y, r = rng.random() * BW, rng.random() * BH, 200 + 260 * rng.random()
        d.ellipse((x - r, y - r, x + r, y + r), fill=rgb255(c) + (90,))
    img = paint.over(img, layer, 40)
    return paint.vignette(img, 0.1)


# --- panoramas ----------------------------------------------------------------------------------

SCENES = {
    "meadow": dict(zenith="0x3f7fc4", horizon="0xcfe3f0", sun="0xfff6dd", sun_dir=(0.45, 0.55),
                   clouds=0.55, far="0x8ea6b8", near="0x4d7a4a", ground="0x5f8f4e",
                   ground2="0x86ac5c", stars=False),
    "dusk": dict(zenith="0x2e2452", horizon="0xf4a160", sun="0xffd9a0", sun_dir=(0.2, 0.04),
                 clouds=0.45, far="0x7a4f6e", near="0x3a2440", ground="0x2c1f33",
                 ground2="0x4a3048", stars=False),
    "starlight": dict(zenith="0x03050f", horizon="0x1c2f5a", sun="0xdfe8ff", sun_dir=(-0.6, 0.5),
                      clouds=0.0, far="0x16213d", near="0x0b1224", ground="0x0d1426",
                      ground2="0x1a2440", stars=True),
}


def scene_colour(d, sc, seed):
    """Colour of the scene seen in direction d (..., 3), unit vectors; y is up, z is front."""
    x, y, z = d[..., 0], d[..., 1], d[..., 2]
    el = np.arcsin(np.clip(y, -1, 1))
    az = np.arctan2(x, z)
    t = np.clip(el / (math.pi / 2), 0, 1)
    sky = mix(rgb(sc["horizon"]), rgb(sc["zenith"]), t ** 0.45)
    saz, sel = sc["sun_dir"]
    sd = np.array([math.cos(sel) * math.sin(saz * math.pi), math.sin(sel),
                   math.cos(sel) * math.cos(saz * math.pi)])
    cosang = np.clip((d * sd).sum(-1), -1, 1)
    ang = np.arccos(cosang)
    glow = np.exp(-ang * 3.5) * 0.6 + np.exp(-ang * 30) * 0.5
    sky = sky + glow[..., None] * (rgb(sc["sun"]) - sky) * 0.85
    sky = mix(sky, rgb(sc["sun"]), 1 - smoothstep(0.03, 0.036, ang))
    if sc["clouds"] > 0:
        yy = np.maximum(y, 0.02)
        p = np.stack([x / yy * 0.9, np.full_like(x, 0.5), z / yy * 0.9], -1)
        c = paint.fbm3(p, 5, seed + 1)
        cover = smoothstep(1 - sc["clouds"], 1 - sc["clouds"] + 0.25, c)
        cover = cover * smoothstep(0.02, 0.2, y)
        lit = mix(rgb(sc["horizon"]) * 1.05, np.ones(3), t[..., None] * 0.6)
        lit = lit + (np.exp(-ang * 2.5) * 0.4)[..., None] * rgb(sc["sun"])
        sky = mix(sky, np.minimum(lit, 1), cover * 0.8)
    if sc["stars"]:
        n = paint.vnoise3(d * 260, seed + 5)
        s = smoothstep(0.93, 1.0, n) ** 2 * smoothstep(0.0, 0.15, y)
        band = np.exp(-((d * np.array([0.3, 0.8, -0.5]) / 1.0).sum(-1) * 3) ** 2)
        milky = paint.fbm3(d * 6, 5, seed + 6) * band
        sky = sky + s[..., None] * 1.6 + (milky * 0.18)[..., None] * rgb("0xaab8ff")
    ring = np.stack([np.cos(az), np.sin(az), np.zeros_like(az)], -1)
    far_h = 0.02 + 0.26 * smoothstep(0.3, 0.75, paint.fbm3(ring * 2.2 + np.array([0, 0, 3.0]), 5,
                                                            seed + 7))
    near_h = 0.005 + 0.1 * smoothstep(0.35, 0.7, paint.fbm3(ring * 3.5 + np.array([0, 0, 9.0]), 5,
                                                             seed + 8))
    img = sky
    haze = mix(rgb(sc["far"]), rgb(sc["horizon"]), 0.35)
    ridge = mix(haze, rgb(sc["far"]), smoothstep(0, 0.15, far_h - el))
    img = np.where((el < far_h)[..., None], ridge, img)
    rock = rgb(sc["near"]) * (0.85 + 0.3 * paint.fbm3(d * 20, 3, seed + 9))[..., None]
    img = np.where((el < near_h)[..., None], rock, img)
    # Ground: a texture laid on the ground plane, fading into haze towards the horizon.
    yy = np.minimum(y, -0.02)
    gp = np.stack([x / -yy * 2.0, np.full_like(x, 1.5), z / -yy * 2.0], -1)
    g = paint.fbm3(gp, 4, seed + 10)
    ground = mix(rgb(sc["ground"]), rgb(sc["ground2"]), g)
    ground = mix(rgb(sc["near"]), ground, smoothstep(-0.0, -0.15, y))
    img = np.where((el < 0)[..., None], ground, img)
    return np.clip(img, 0, 1)


FACES = {
    "f": lambda u, v: (u, -v, np.ones_like(u)),
    "b": lambda u, v: (-u, -v, -np.ones_like(u)),
    "r": lambda u, v: (np.ones_like(u), -v, -u),
    "l": lambda u, v: (-np.ones_like(u), -v, u),
    "u": lambda u, v: (u, np.ones_like(u), v),
    "d": lambda u, v: (u, -np.ones_like(u), -v),
}


def unit(x, y, z):
    d = np.stack([x, y, z], -1)
    return d / np.linalg.norm(d, axis=-1, keepdims=True)


def paint_panorama(s, folder):
    sc = SCENES[s.painter]
    seed = sum(map(ord, s.name))
    c = (np.arange(FACE) + 0.5) / FACE * 2 - 1
    v, u = np.meshgrid(c, c, indexing="ij")
    for name, f in FACES.items():
        paint.save_jpeg(scene_colour(unit(*f(u, v)), sc, seed), folder / f"{name}.jpg")
    w, h = 1600, 800
    lon = ((np.arange(w) + 0.5) / w * 2 - 1) * math.pi
    lat = (0.5 - (np.arange(h) + 0.5) / h) * math.pi
    lat, lon = np.meshgrid(lat, lon, indexing="ij")
    d = unit(np.cos(lat) * np.sin(lon), np.sin(lat), np.cos(lat) * np.cos(lon))
    pano = scene_colour(d, sc, seed)
    paint.save_jpeg(pano, folder / "bg.jpg")
    return pano


# --- logos, icons, previews ----------------------------------------------------------------------


def book_glyph(d, box, colour, width):
    """An open book drawn as two curved pages."""
    x0, y0, x1, y1 = box
    mx = (x0 + x1) / 2
    d.line([(x0, y0 + (y1 - y0) * 0.12), (mx, y0 + (y1 - y0) * 0.22)], fill=colour, width=width)
    d.line([(mx, y0 + (y1 - y0) * 0.22), (x1, y0 + (y1 - y0) * 0.12)], fill=colour, width=width)
    d.line([(x0, y0 + (y1 - y0) * 0.12), (x0, y1 - (y1 - y0) * 0.1)], fill=colour, width=width)
    d.line([(x1, y0 + (y1 - y0) * 0.12), (x1, y1 - (y1 - y0) * 0.1)], fill=colour, width=width)
    d.line([(x0, y1 - (y1 - y0) * 0.1), (mx, y1)], fill=colour, width=width)
    d.line([(mx, y1), (x1, y1 - (y1 - y0) * 0.1)], fill=colour, width=width)
    d.line([(mx, y0 + (y1 - y0) * 0.22), (mx, y1)], fill=colour, width=width)


def make_logo(s, path):
    k = 4
    img = Image.new("RGBA", (240 * k, 72 * k), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    ink = rgb255(s.ink)
    d.rounded_rectangle((6 * k, 8 * k, 62 * k, 64 * k), radius=12 * k, outline=ink + (255,),
                        width=4 * k)
    book_glyph(d, (16 * k, 22 * k, 52 * k, 52 * k), ink + (255,), 3 * k)
    d.text((76 * k, 12 * k), "ZARVEX", font=font("NimbusSans-Bold", 34 * k), fill=ink + (255,))
    d.text((78 * k, 48 * k), "FLIP BOOKS", font=font("NimbusSans-Regular", 13 * k),
           fill=ink + (200,))
    img = img.resize((240, 72), Image.LANCZOS)
    paint.save_png(img, path)
    return img


def make_icon(t, path):
    k = 256
    img = Image.new("RGBA", (k, k), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    style = t.styles[0]
    base = rgb255(t.defaults["BaseColor"])
    if t.name == "Panoramic":
        g = Image.new("RGBA", (k, k), (0, 0, 0, 0))
        arr = paint.linear_gradient(k, k, "0x9cc7e8", "0x3d6e96", 90)
        arr[int(k * 0.62):] = mix(rgb("0x86ac5c"), rgb("0x4d7a4a"),
                                  np.linspace(0, 1, k - int(k * 0.62))[:, None, None])
        g = paint.to_image(arr).convert("RGBA")
        mask = Image.new("L", (k, k), 0)
        ImageDraw.Draw(mask).ellipse((8, 8, k - 8, k - 8), fill=255)
        img.paste(g, (0, 0), mask)
        d = ImageDraw.Draw(img)
        d.ellipse((8, 8, k - 8, k - 8), outline=(255, 255, 255, 255), width=8)
        book_glyph(d, (60, 84, 196, 190), (255, 255, 255, 255), 12)
    elif t.name == "Classic":
        d.rounded_rectangle((40, 24, 216, 232), radius=14, fill=(123, 74, 46, 255))
        d.rectangle((40, 24, 70, 232), fill=(92, 52, 30, 255))
        d.rectangle((70, 90, 216, 110), fill=(214, 176, 96, 255))
        d.rectangle((70, 150, 216, 160), fill=(214, 176, 96, 255))
        d.rectangle((206, 34, 216, 222), fill=(245, 236, 214, 255))
    elif t.name == "Minimal":
        d.rounded_rectangle((16, 16, k - 16, k - 16), radius=40, fill=(245, 245, 242, 255),
                            outline=(51, 51, 51, 255), width=6)
        book_glyph(d, (56, 70, 200, 190), (51, 51, 51, 255), 10)
    else:
        sh = Image.new("RGBA", (k, k), (0, 0, 0, 0))
        ImageDraw.Draw(sh).ellipse((50, 206, 206, 236), fill=(0, 0, 0, 110))
        sh = sh.filter(ImageFilter.GaussianBlur(8))
        img.alpha_composite(sh)
        d = ImageDraw.Draw(img)
        d.polygon([(20, 60), (128, 84), (128, 190), (20, 166)], fill=(244, 246, 249, 255),
                  outline=base + (255,))
        d.polygon([(236, 60), (128, 84), (128, 190), (236, 166)], fill=(222, 230, 240, 255),
                  outline=base + (255,))
        d.line([(20, 60), (128, 84), (236, 60)], fill=base + (255,), width=8)
        d.line([(20, 166), (128, 190), (236, 166)], fill=base + (255,), width=8)
        d.line([(128, 84), (128, 190)], fill=base + (255,), width=6)
        for i in range(3):
            y = 98 + i * 22
            d.line([(40, y - 4 + i * 0), (108, y + 12)], fill=base + (150,), width=5)
            d.line([(148, y + 12), (216, y - 4)], fill=base + (150,), width=5)
    del style
    img = img.resize((64, 64), Image.LANCZOS)
    paint.save_png(img, path)


def make_shot(t, s, bg, logo, path):
    w, h = 320, 240
    src = paint.to_image(bg)
    # Cover the preview with the background (centre crop).
    scale = max(w / src.width, h / src.height)
    src = src.resize((int(src.width * scale + 1), int(src.height * scale + 1)), Image.LANCZOS)
    left, top = (src.width - w) // 2, (src.height - h) // 2
    shot = src.crop((left, top, left + w, top + h)).convert("RGBA")
    pages = [Image.open(DEMO / n).convert("RGB") for n in ("02.jpg", "03.jpg")]
    ph = 140
    pw = int(ph * 1080 / 1440)
    x0, y0 = (w - 2 * pw) // 2, 46
    # The float template lifts the book off its background; Minimal lays it flat.
    blur, opacity, offset = {"float": (10, 0.5, (0, 14)), "Minimal": (3, 0.18, (0, 2))}.get(
        t.name, (6, 0.55, (0, 5)))
    sh = paint.soft_shadow((w, h), (x0, y0, x0 + 2 * pw, y0 + ph), blur, opacity, offset)
    shot.alpha_composite(sh)
    thick = int(s.thickness or "1")
    d = ImageDraw.Draw(shot)
    for i in range(1, 1 + min(thick + 1, 3)):
        d.rectangle((x0 - i, y0 + i, x0 + 2 * pw + i, y0 + ph + i), outline=(225, 220, 210, 255))
    for i, p in enumerate(pages):
        shot.paste(p.resize((pw, ph), Image.LANCZOS), (x0 + i * pw, y0))
    fold = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    fd = ImageDraw.Draw(fold)
    for i in range(10):
        a = int(70 * (1 - i / 10))
        fd.line((x0 + pw - i, y0, x0 + pw - i, y0 + ph), fill=(0, 0, 0, a))
        fd.line((x0 + pw + i, y0, x0 + pw + i, y0 + ph), fill=(0, 0, 0, a // 2))
    shot.alpha_composite(fold)
    d = ImageDraw.Draw(shot)
    bar = rgb255(s.base)
    d.rounded_rectangle((60, h - 34, w - 60, h - 10), radius=12, fill=bar + (235,))
    for i in range(7):
        cx = 84 + i * 25.5
        d.ellipse((cx - 5, h - 27, cx + 5, h - 17), fill=(255, 255, 255, 220))
    small = logo.resize((80, 24), Image.LANCZOS)
    shot.alpha_composite(small, (8, 8))
    paint.save_jpeg(shot.convert("RGB"), path, quality=85)


def main(only):
    painters = {name[3:]: f for name, f in globals().items() if name.startswith("bg_")}
    for t in library.TEMPLATES:
        if only and t.name not in only:
            continue
        make_icon(t, APPFILES / "Templates" / t.name / "icon.png")
        for s in t.styles:
            folder = APPFILES / "Styles" / t.name / s.name
            folder.mkdir(parents=True, exist_ok=True)
            if s.panorama:
                bg = paint_panorama(s, folder)
            else:
                bg = painters[s.painter](s)
                paint.save_jpeg(bg, folder / "bg.jpg")
            logo = make_logo(s, folder / "logo.png")
            make_shot(t, s, bg, logo, folder / "shot.jpg")
            print(f"painted {t.name}/{s.name}", file=sys.stderr)


if __name__ == "__main__":
    main(set(sys.argv[1:]))
