"""Small painting helpers shared by the picture scripts: noise, gradients, fonts, saving.

Images are float arrays of shape (h, w, 3) with values from 0 to 1 until they are saved.
Everything is seeded, so a rerun paints the same pictures.
"""

import math
import pathlib

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

FONT_DIRS = [pathlib.Path("/usr/share/fonts/opentype/urw-base35"),
             pathlib.Path("/usr/share/fonts/truetype/dejavu")]
FALLBACK = {"P052-Roman": "DejaVuSerif", "P052-Italic": "DejaVuSerif-Italic",
            "P052-Bold": "DejaVuSerif-Bold", "NimbusSans-Bold": "DejaVuSans-Bold",
            "NimbusSans-Regular": "DejaVuSans", "URWGothic-Demi": "DejaVuSans-Bold",
            "URWGothic-Book": "DejaVuSans", "NimbusSansNarrow-Bold": "DejaVuSansCondensed-Bold"}


def font(name, size):
    """A font of the URW base 35 set (fonts-urw-base35), or its DejaVu stand-in."""
    for n in (name, FALLBACK.get(name, "DejaVuSans")):
        for d in FONT_DIRS:
            for ext in (".otf", ".ttf"):
                p = d / (n + ext)
                if p.exists():
                    return ImageFont.truetype(str(p), size)
    return ImageFont.load_default()


def rgb(hexstr):
    """"0xrrggbb" or "#rrggbb" as an array of three floats."""
    h = hexstr.replace("0x", "").replace("#", "")
    return np.array([int(h[i:i + 2], 16) / 255.0 for i in (0, 2, 4)])


def rgb255(hexstr):
    return tuple(int(round(c * 255)) for c in rgb(hexstr))


def mix(a, b, t):
    t = np.asarray(t)
    if t.ndim and t.shape[-1] not in (1, 3):
        t = t[..., None]
    return a * (1 - t) + b * t


def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0, 1)
    return t * t * (3 - 2 * t)


def noise2(h, w, cells, seed):
    """Smooth value noise in [0, 1]: a random grid of about `cells` cells across, upscaled."""
    rng = np.random.default_rng(seed)
    gh = max(2, int(round(cells * h / w)) + 2)
    gw = max(2, int(cells) + 2)
    grid = (rng.random((gh, gw)) * 255).astype(np.uint8)
    img = Image.fromarray(grid, "L").resize((w, h), Image.BICUBIC)
    return np.asarray(img, dtype=np.float64) / 255.0


def fbm2(h, w, cells, octaves, seed, gain=0.5):
    total, amp, norm = np.zeros((h, w)), 1.0, 0.0
    for o in range(octaves):
        total += amp * noise2(h, w, cells * 2 ** o, seed + 101 * o)
        norm += amp
        amp *= gain
    return total / norm


def _hash3(ix, iy, iz, seed):
    n = (ix * np.uint64(73856093)) ^ (iy * np.uint64(19349663)) ^ (iz * np.uint64(83492791))
    n ^= np.uint64(seed * 2654435761 & 0xFFFFFFFF)
    n = (n ^ (n >> np.uint64(13))) * np.uint64(1274126177)
    n ^= n >> np.uint64(16)
    return (n & np.uint64(0xFFFF)).astype(np.float64) / 65535.0


def vnoise3(p, seed):
    """Value noise in [0, 1] at points p of shape (..., 3); continuous across the whole space,
    so pictures sampled on different surfaces (cube faces) meet without seams."""
    fl = np.floor(p)
    f = p - fl
    w = f * f * (3 - 2 * f)
    i = fl.astype(np.int64).astype(np.uint64)
    one = np.uint64(1)
    x, y, z = i[..., 0], i[..., 1], i[..., 2]
    wx, wy, wz = w[..., 0], w[..., 1], w[..., 2]
    c = [[[_hash3(x + dx, y + dy, z + dz, seed) for dz in (np.uint64(0), one)]
          for dy in (np.uint64(0), one)] for dx in (np.uint64(0), one)]
    lerp = lambda a, b, t: a + (b - a) * t
    x00 = lerp(c[0][0][0], c[1][0][0], wx)
    x10 = lerp(c[0][1][0], c[1][1][0], wx)
    x01 = lerp(c[0][0][1], c[1][0][1], wx)
    x11 = lerp(c[0][1][1], c[1][1][1], wx)
    return lerp(lerp(x00, x10, wy), lerp(x01, x11, wy), wz)


def fbm3(p, octaves, seed, gain=0.5):
    total, amp, norm, freq = 0.0, 1.0, 0.0, 1.0
    for o in range(octaves):
        total = total + amp * vnoise3(p * freq, seed + 31 * o)
        norm += amp
        amp *= gain
        freq *= 2.0
    return total / norm


def linear_gradient(w, h, c1, c2, angle_deg=90.0):
    """From c1 to c2; 90 degrees runs from top to bottom, 0 from left to right."""
    a = math.radians(angle_deg)
    ys, xs = np.mgrid[0:h, 0:w]
    dx, dy = math.cos(a), math.sin(a)
    t = (xs - w / 2) * dx + (ys - h / 2) * dy
    span = abs(w / 2 * dx) + abs(h / 2 * dy)
    t = (t / span + 1) / 2
    return mix(rgb(c1) if isinstance(c1, str) else c1, rgb(c2) if isinstance(c2, str) else c2,
               np.clip(t, 0, 1))


def radial(w, h, cx, cy, r):
    """1 at (cx, cy) (fractions of the size) falling smoothly to 0 at radius r (of the width)."""
    ys, xs = np.mgrid[0:h, 0:w]
    d = np.hypot(xs / w - cx, (ys - cy * h) / w)
    return 1 - smoothstep(0, r, d)


def vignette(img, strength=0.35):
    h, w, _ = img.shape
    ys, xs = np.mgrid[0:h, 0:w]
    d = np.hypot((xs / w - 0.5) * 1.4, (ys / h - 0.5) * 1.4)
    return img * (1 - strength * smoothstep(0.35, 1.0, d))[..., None]


def grain(img, amount, seed):
    """A fine, soft grain: noise blurred a little so the JPEG stays small."""
    h, w, _ = img.shape
    n = noise2(h, w, w / 3, seed) - 0.5
    return img + amount * n[..., None]


def to_image(arr):
    return Image.fromarray((np.clip(arr, 0, 1) * 255 + 0.5).astype(np.uint8), "RGB")


def save_jpeg(img, path, quality=80):
    if isinstance(img, np.ndarray):
        img = to_image(img)
    path = pathlib.Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    img.convert("RGB").save(path, "JPEG", quality=quality, optimize=True)


def save_png(img, path):
    path = pathlib.Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    img.save(path, "PNG", optimize=True)


def soft_shadow(size, box, radius, opacity=0.5, offset=(0, 0)):
    """An RGBA layer holding the blurred shadow of a rectangle."""
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    x0, y0, x1, y1 = box
    d.rectangle((x0 + offset[0], y0 + offset[1], x1 + offset[0], y1 + offset[1]),
                fill=(0, 0, 0, int(255 * opacity)))
    return layer.filter(ImageFilter.GaussianBlur(radius))


def wrap(draw, text, fnt, width):
    """Greedy word wrap to lines no wider than `width` pixels."""
    lines, line = [], ""
    for word in text.split():
        trial = word if not line else line + " " + word
        if draw.textlength(trial, font=fnt) <= width:
            line = trial
        else:
            if line:
                lines.append(line)
            line = word
    if line:
        lines.append(line)
    return lines


def justify_line(draw, xy, line, fnt, width, fill):
    """Draws one line spread to `width` by widening the gaps between words."""
    words = line.split()
    if len(words) < 2:
        draw.text(xy, line, font=fnt, fill=fill)
        return
    total = sum(draw.textlength(w, font=fnt) for w in words)
    gap = (width - total) / (len(words) - 1)
    x, y = xy
    for w in words:
        draw.text((x, y), w, font=fnt, fill=fill)
        x += draw.textlength(w, font=fnt) + gap


def over(img, layer, blur=0):
    """Composites an RGBA PIL layer (optionally blurred) over the array `img`. The blur works
    on premultiplied colour, so soft edges do not darken."""
    arr = np.asarray(layer).astype(np.float64) / 255
    a = arr[..., 3:]
    prem = arr[..., :3] * a
    if blur:
        prem_img = Image.fromarray((prem * 255 + 0.5).astype(np.uint8), "RGB")
        a_img = Image.fromarray((a[..., 0] * 255 + 0.5).astype(np.uint8), "L")
        prem = np.asarray(prem_img.filter(ImageFilter.GaussianBlur(blur))) / 255
        a = (np.asarray(a_img.filter(ImageFilter.GaussianBlur(blur))) / 255)[..., None]
    return img * (1 - a) + prem
