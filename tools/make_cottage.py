#!/usr/bin/env python3
"""Generates the viewer's model: scene/cottage.obj and its texture atlas scene/cottage_diffuse.png.

A small rendered cottage: plastered walls on a brick plinth with stone corner quoins, a pitched roof of
stepped tile courses with overhanging eaves, barge boards and a ridge, a plank door with steps, framed
and recessed windows with sills, lintels, shutters and flower boxes, a brick chimney with pots, a grass
patch with a flagstone path and a few shrubs.

Python standard library only. The output is identical on every run: all randomness comes from fixed
seeds and numbers are written with fixed precision.

Usage: tools/make_cottage.py [output directory]    (default: the repository's scene/ folder)
"""

import math
import os
import random
import struct
import sys
import zlib

# --------------------------------------------------------------------------------------------- vectors


def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def mul(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def length(a):
    return math.sqrt(dot(a, a))


def normalize(a):
    n = length(a)
    return (a[0] / n, a[1] / n, a[2] / n)


def lerp(a, b, t):
    return a + (b - a) * t


# ------------------------------------------------------------------------------------- texture atlas

ATLAS_SIZE = 1024
UV_INSET = 2.5  # pixels kept clear of a region's border so bilinear filtering never reads a neighbour

# Regions of the atlas in pixels: (left, top, right, bottom). Each one is drawn so that it tiles.
REGIONS = {
    'plaster': (0, 0, 256, 256),
    'brick': (256, 0, 512, 256),
    'grass': (512, 0, 768, 256),
    'stone': (768, 0, 1024, 256),
    'roof': (0, 256, 512, 384),  # one course of four clay tiles
    'tile_edge': (0, 384, 256, 512),
    'earth': (256, 384, 512, 512),
    'door': (512, 256, 768, 512),
    'timber': (768, 256, 1024, 384),
    'paint': (768, 384, 1024, 512),
    'glass': (0, 512, 256, 768),
    'shutter': (256, 512, 512, 768),
    'foliage': (512, 512, 768, 768),
    'soffit': (768, 512, 1024, 768),
    'pot': (0, 768, 128, 896),
    'soot': (128, 768, 256, 896),
    'brass': (256, 768, 384, 896),
    'flower_red': (384, 768, 512, 896),
    'flower_yellow': (0, 896, 128, 1024),
    'flower_white': (128, 896, 256, 1024),
    'window_dark': (256, 896, 384, 1024),
    'flagstone': (512, 768, 768, 1024),
    'moss': (768, 768, 1024, 1024),
}


class TileNoise:
    """Smooth value noise on a wrapping grid, so a region filled with it tiles without seams."""

    def __init__(self, seed, period):
        rng = random.Random(seed)
        self.period = period
        self.grid = [rng.random() for _ in range(period * period)]

    def at(self, u, v):
        p = self.period
        x = u * p
        y = v * p
        xi = math.floor(x)
        yi = math.floor(y)
        fx = x - xi
        fy = y - yi
        x0 = xi % p
        y0 = yi % p
        x1 = (x0 + 1) % p
        y1 = (y0 + 1) % p
        sx = fx * fx * (3 - 2 * fx)
        sy = fy * fy * (3 - 2 * fy)
        g = self.grid
        top = lerp(g[y0 * p + x0], g[y0 * p + x1], sx)
        bottom = lerp(g[y1 * p + x0], g[y1 * p + x1], sx)
        return lerp(top, bottom, sy)


class Fbm:
    """A few octaves of TileNoise; returns roughly 0..1."""

    def __init__(self, seed, base_period, octaves=4):
        self.layers = [TileNoise(seed * 31 + k, base_period * (2 ** k)) for k in range(octaves)]

    def at(self, u, v):
        total = 0.0
        amplitude = 0.5
        norm = 0.0
        for layer in self.layers:
            total += amplitude * layer.at(u, v)
            norm += amplitude
            amplitude *= 0.5
        return total / norm


def clamp_byte(x):
    return 0 if x < 0 else 255 if x > 255 else int(x + 0.5)


def shade(color, factor):
    return (color[0] * factor, color[1] * factor, color[2] * factor)


def mix(a, b, t):
    return (lerp(a[0], b[0], t), lerp(a[1], b[1], t), lerp(a[2], b[2], t))


class Atlas:
    def __init__(self, size):
        self.size = size
        self.pixels = bytearray(size * size * 3)

    def fill(self, name, paint):
        """Calls paint(x, y, w, h) for every pixel of the region (x, y relative to its top-left)."""
        left, top, right, bottom = REGIONS[name]
        w = right - left
        h = bottom - top
        size = self.size
        pixels = self.pixels
        for y in range(h):
            row = ((top + y) * size + left) * 3
            for x in range(w):
                r, g, b = paint(x, y, w, h)
                i = row + 3 * x
                pixels[i] = clamp_byte(r)
                pixels[i + 1] = clamp_byte(g)
                pixels[i + 2] = clamp_byte(b)

    def get(self, name, x, y):
        left, top, right, bottom = REGIONS[name]
        w = right - left
        h = bottom - top
        i = ((top + y % h) * self.size + left + x % w) * 3
        return (self.pixels[i], self.pixels[i + 1], self.pixels[i + 2])

    def put(self, name, x, y, color, alpha=1.0):
        """Blends a colour into a region pixel; coordinates wrap so strokes tile too."""
        left, top, right, bottom = REGIONS[name]
        w = right - left
        h = bottom - top
        i = ((top + y % h) * self.size + left + x % w) * 3
        for c in range(3):
            old = self.pixels[i + c]
            self.pixels[i + c] = clamp_byte(old + (color[c] - old) * alpha)

    def disc(self, name, cx, cy, radius, color, soft=1.0):
        r = int(math.ceil(radius + 1))
        for y in range(-r, r + 1):
            for x in range(-r, r + 1):
                d = math.sqrt(x * x + y * y)
                if d <= radius + soft:
                    alpha = 1.0 if d <= radius else 1.0 - (d - radius) / soft
                    self.put(name, cx + x, cy + y, color, alpha)

    def png(self):
        size = self.size
        raw = bytearray()
        for y in range(size):
            raw.append(0)  # filter: none
            raw += self.pixels[y * size * 3:(y + 1) * size * 3]

        def chunk(kind, data):
            body = kind + data
            return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack('>IIBBBBB', size, size, 8, 2, 0, 0, 0)  # 8-bit RGB
        return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) +
                chunk(b'IEND', b''))


def paint_atlas():
    atlas = Atlas(ATLAS_SIZE)
    rng = random.Random(1877)

    # Whitewashed lime plaster: soft blotches, fine grain and a few darker speckles.
    blotch = Fbm(11, 4)
    grain = TileNoise(12, 64)

    def plaster(x, y, w, h):
        u = x / w
        v = y / h
        n = blotch.at(u, v)
        g = grain.at(u, v)
        base = (232, 224, 203)
        f = 0.86 + 0.16 * n + 0.05 * (g - 0.5)
        return shade(base, f)

    atlas.fill('plaster', plaster)
    for _ in range(260):
        atlas.disc('plaster', rng.randrange(256), rng.randrange(256), rng.uniform(0.3, 1.2), (170, 160, 140), 0.8)

    # Bricks: 4 per course, 16 courses, stretcher bond, each brick its own tone.
    brick_noise = Fbm(21, 8, 3)
    brick_tones = [[(rng.uniform(130, 172), rng.uniform(58, 80), rng.uniform(40, 56)) for _ in range(4)]
                   for _ in range(16)]

    def brick(x, y, w, h):
        row = y // 16
        shift = 32 if row % 2 else 0
        col = ((x + shift) // 64) % 4
        lx = (x + shift) % 64
        ly = y % 16
        n = brick_noise.at(x / w, y / h)
        if lx < 3 or ly < 3:
            return shade((188, 182, 166), 0.85 + 0.2 * n)
        tone = brick_tones[row][col]
        edge = min(lx - 3, 63 - lx, ly - 3, 15 - ly)
        f = (0.8 + 0.35 * n) * (0.88 if edge < 2 else 1.0)
        return shade(tone, f)

    atlas.fill('brick', brick)

    # Grass: mottled greens, then blade strokes and a few daisies.
    grass_noise = Fbm(31, 4)
    grass_fine = TileNoise(32, 96)

    def grass(x, y, w, h):
        n = grass_noise.at(x / w, y / h)
        f = grass_fine.at(x / w, y / h)
        dark = (52, 96, 34)
        light = (112, 156, 62)
        return shade(mix(dark, light, n), 0.9 + 0.2 * f)

    atlas.fill('grass', grass)
    for _ in range(2200):
        x = rng.randrange(256)
        y = rng.randrange(256)
        tone = rng.choice([(40, 82, 28), (128, 172, 70), (90, 140, 50), (150, 180, 90)])
        lean = rng.uniform(-0.4, 0.4)
        for k in range(rng.randrange(3, 7)):
            atlas.put('grass', int(x + lean * k), y - k, tone, 0.7)
    for _ in range(40):
        x = rng.randrange(256)
        y = rng.randrange(256)
        atlas.disc('grass', x, y, 1.3, rng.choice([(245, 245, 235), (250, 220, 80)]), 0.7)

    # Pale stone for sills, steps and quoins.
    stone_noise = Fbm(41, 4)
    stone_fine = TileNoise(42, 128)

    def stone(x, y, w, h):
        n = stone_noise.at(x / w, y / h)
        f = stone_fine.at(x / w, y / h)
        return shade((196, 190, 176), 0.82 + 0.2 * n + 0.08 * (f - 0.5))

    atlas.fill('stone', stone)
    for _ in range(500):
        atlas.disc('stone', rng.randrange(256), rng.randrange(256), rng.uniform(0.3, 1.0),
                   rng.choice([(140, 134, 124), (220, 215, 205)]), 0.7)

    # Flagstones: darker, cooler stone with lichen spots.
    flag_noise = Fbm(51, 3)

    def flagstone(x, y, w, h):
        n = flag_noise.at(x / w, y / h)
        f = stone_fine.at(x / w, y / h)
        return shade((150, 146, 138), 0.78 + 0.3 * n + 0.1 * (f - 0.5))

    atlas.fill('flagstone', flagstone)
    for _ in range(30):
        atlas.disc('flagstone', rng.randrange(256), rng.randrange(256), rng.uniform(1.5, 4),
                   rng.choice([(170, 168, 120), (120, 130, 90)]), 2.0)

    # One course of clay roof tiles, four across: gaps, a shadow under the course above, rounded lower
    # corners and some moss.
    roof_noise = Fbm(61, 4)
    tile_tones = [(172, 82, 54), (158, 72, 48), (180, 92, 60), (150, 78, 52)]

    def roof(x, y, w, h):
        tile = x // 128
        lx = x % 128
        n = roof_noise.at(x / w, y / h)
        gap = (48, 28, 22)
        if lx < 4:
            return gap
        # Round the two lower corners of each tile.
        radius = 22
        cx = min(max(lx, 4 + radius), 127 - radius)
        cy = h - 1 - radius
        if y > cy and (lx - cx) ** 2 + (y - cy) ** 2 > radius * radius:
            return gap
        light = 0.62 + 0.45 * (y / h)  # the course above shades the top of this one
        curve = 0.9 + 0.14 * math.sin(math.pi * (lx - 4) / 124)
        return shade(tile_tones[tile], light * curve * (0.85 + 0.3 * n))

    atlas.fill('roof', roof)
    for _ in range(18):
        x = rng.randrange(512)
        y = rng.randrange(60, 124)
        for _ in range(6):
            atlas.disc('roof', x + rng.randrange(-5, 6), y + rng.randrange(-3, 4), rng.uniform(1, 2.5),
                       (118, 124, 64), 1.5)

    def tile_edge(x, y, w, h):
        n = roof_noise.at(x / w, y / h)
        return shade((128, 58, 40), 0.8 + 0.3 * n)

    atlas.fill('tile_edge', tile_edge)

    earth_noise = Fbm(71, 4)

    def earth(x, y, w, h):
        n = earth_noise.at(x / w, y / h)
        return shade((112, 82, 56), 0.75 + 0.4 * n)

    atlas.fill('earth', earth)
    for _ in range(160):
        atlas.disc('earth', rng.randrange(256), rng.randrange(256), rng.uniform(0.8, 2.5),
                   rng.choice([(150, 140, 120), (80, 60, 44)]), 1.0)

    # Door: five vertical oak planks with grain, dark joints and two rows of nails.
    grain_noise = Fbm(81, 4)

    def planks(base, count, vertical=True):
        def paint(x, y, w, h):
            along, across, span = (y, x, w) if vertical else (x, y, h)
            width = span / count
            plank = int(across // width)
            local = across - plank * width
            if local < 2.0 or local > width - 1.0:
                return shade(base, 0.35)
            n = grain_noise.at(x / w, y / h)
            streak = math.sin((local * 0.9 + plank * 13) + 6.0 * n) * 0.5 + 0.5
            f = 0.8 + 0.15 * streak + 0.15 * n - 0.06 * (plank % 2)
            return shade(base, f)
        return paint

    atlas.fill('door', planks((124, 80, 46), 5))
    for plank in range(5):
        for y in (40, 216):
            atlas.disc('door', int(plank * 51.2 + 25), y, 2.2, (40, 36, 34), 0.8)
    atlas.fill('shutter', planks((62, 112, 78), 4))
    atlas.fill('soffit', planks((178, 140, 98), 6, vertical=False))

    def timber(x, y, w, h):
        n = grain_noise.at(x / w, y / h)
        streak = math.sin(y * 0.35 + 9.0 * n) * 0.5 + 0.5
        return shade((92, 62, 40), 0.75 + 0.2 * streak + 0.2 * n)

    atlas.fill('timber', timber)

    def paint(x, y, w, h):
        n = grain_noise.at(x / w, y / h)
        return shade((238, 236, 226), 0.9 + 0.1 * n)

    atlas.fill('paint', paint)

    # Window glass: the sky reflected above, the dark room below, a bright streak, lace curtains at the sides.
    def glass(x, y, w, h):
        u = x / w
        v = y / h
        sky = mix((168, 196, 214), (46, 60, 74), min(1.0, v * 1.4))
        streak = u + 0.7 * v
        if 0.55 < streak < 0.68 or 0.74 < streak < 0.78:
            sky = mix(sky, (230, 238, 242), 0.45)
        side = min(u, 1.0 - u)
        if side < 0.16:
            fold = 0.86 + 0.14 * math.sin(x * 0.9)
            return shade(mix((232, 224, 204), sky, side / 0.16 * 0.4), fold)
        return sky

    atlas.fill('glass', glass)

    def window_dark(x, y, w, h):
        return (38, 44, 50)

    atlas.fill('window_dark', window_dark)

    leaf_noise = Fbm(91, 6)

    def foliage(x, y, w, h):
        n = leaf_noise.at(x / w, y / h)
        f = grass_fine.at(x / w, y / h)
        return shade(mix((30, 70, 30), (96, 146, 58), n), 0.85 + 0.3 * f)

    atlas.fill('foliage', foliage)
    for _ in range(500):
        atlas.disc('foliage', rng.randrange(256), rng.randrange(256), rng.uniform(1.0, 2.5),
                   rng.choice([(120, 170, 70), (24, 56, 24)]), 1.0)

    def moss(x, y, w, h):
        n = leaf_noise.at(x / w, y / h)
        return shade((92, 110, 56), 0.8 + 0.3 * n)

    atlas.fill('moss', moss)

    def flowers(petal):
        def paint_region(name):
            atlas.fill(name, foliage_small)
            for _ in range(70):
                x = rng.randrange(128)
                y = rng.randrange(128)
                atlas.disc(name, x, y, rng.uniform(2.5, 4.0), petal, 1.0)
                atlas.disc(name, x, y, 1.0, (250, 210, 60), 0.6)
        return paint_region

    def foliage_small(x, y, w, h):
        n = leaf_noise.at(x / w, y / h)
        return shade(mix((34, 74, 32), (80, 130, 52), n), 1.0)

    flowers((214, 40, 48))('flower_red')
    flowers((246, 200, 40))('flower_yellow')
    flowers((244, 240, 236))('flower_white')

    pot_noise = Fbm(101, 4)

    def pot(x, y, w, h):
        n = pot_noise.at(x / w, y / h)
        return shade((194, 100, 58), (0.75 + 0.3 * n) * (0.8 + 0.25 * (y / h)))

    atlas.fill('pot', pot)

    def soot(x, y, w, h):
        return shade((40, 34, 30), 0.8 + 0.4 * pot_noise.at(x / w, y / h))

    atlas.fill('soot', soot)

    def brass(x, y, w, h):
        t = abs(x / w - 0.4)
        return mix((246, 214, 120), (150, 110, 40), min(1.0, t * 2.2))

    atlas.fill('brass', brass)
    return atlas


# ------------------------------------------------------------------------------------------------ mesh


def atlas_uv(region, fu, fv):
    """Maps a position inside a tile (0..1 each, fv upwards) to the OBJ texture coordinate of the atlas."""
    left, top, right, bottom = REGIONS[region]
    x = left + UV_INSET + fu * (right - left - 2 * UV_INSET)
    y = bottom - UV_INSET - fv * (bottom - top - 2 * UV_INSET)
    return (x / ATLAS_SIZE, 1.0 - y / ATLAS_SIZE)


def clip_polygon(points, axis, limit, keep_below):
    """Clips a 2D polygon against the line coordinate[axis] = limit (Sutherland-Hodgman)."""
    out = []
    n = len(points)
    for i in range(n):
        a = points[i]
        b = points[(i + 1) % n]
        a_in = a[axis] <= limit if keep_below else a[axis] >= limit
        b_in = b[axis] <= limit if keep_below else b[axis] >= limit
        if a_in:
            out.append(a)
        if a_in != b_in:
            t = (limit - a[axis]) / (b[axis] - a[axis])
            out.append((lerp(a[0], b[0], t), lerp(a[1], b[1], t)))
    return out


def clean_polygon(points, eps=1e-7):
    """Drops repeated and collinear corners so fans over the polygon have no degenerate triangles."""
    pts = []
    for p in points:
        if not pts or abs(p[0] - pts[-1][0]) > eps or abs(p[1] - pts[-1][1]) > eps:
            pts.append(p)
    if len(pts) > 1 and abs(pts[0][0] - pts[-1][0]) <= eps and abs(pts[0][1] - pts[-1][1]) <= eps:
        pts.pop()
    changed = True
    while changed and len(pts) >= 3:
        changed = False
        for i in range(len(pts)):
            a = pts[i - 1]
            b = pts[i]
            c = pts[(i + 1) % len(pts)]
            if abs((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])) < 1e-9:
                pts.pop(i)
                changed = True
                break
    return pts


class MeshBuilder:
    DIGITS = 5

    def __init__(self):
        self.positions = []
        self.normals = []
        self.uvs = []
        self._position_index = {}
        self._normal_index = {}
        self._uv_index = {}
        self.groups = []
        self.faces = None
        self.triangles = 0

    def group(self, name):
        self.faces = []
        self.groups.append((name, self.faces))

    def _index(self, table, lookup, value):
        key = tuple(round(c, self.DIGITS) + 0.0 for c in value)
        index = lookup.get(key)
        if index is None:
            table.append(key)
            index = len(table)
            lookup[key] = index
        return index

    def triangle(self, points, uvs, normal, corner_normals=None):
        """One triangle, counter-clockwise around `normal`; shaded flat with that normal unless
        `corner_normals` gives one per corner."""
        rounded = [tuple(round(c, self.DIGITS) for c in p) for p in points]
        n = cross(sub(rounded[1], rounded[0]), sub(rounded[2], rounded[0]))
        if length(n) < 1e-6:
            return  # too small to survive the file's precision
        assert dot(n, normal) > 0, 'triangle winding disagrees with its normal'
        corners = []
        for k, (p, uv) in enumerate(zip(rounded, uvs)):
            ni = self._index(self.normals, self._normal_index, corner_normals[k] if corner_normals else normal)
            corners.append((self._index(self.positions, self._position_index, p),
                            self._index(self.uvs, self._uv_index, uv), ni))
        self.faces.append(corners)
        self.triangles += 1

    def polygon(self, points, region, tile=(1.0, 1.0), u_axis=None, origin=None, facing=None, cell=None,
                shift=(0.0, 0.0)):
        """A flat convex polygon (3D points, counter-clockwise seen from its front).

        The texture region repeats every `tile` units along the polygon's U axis (u_axis, else its first
        edge) and V axis (normal x U), starting at `origin` (else the first point) moved by `shift`. Because a
        region cannot repeat inside the atlas, the polygon is cut at every tile border (and, with `cell`,
        into smaller pieces), each piece mapping to its part of the region. With `facing`, the winding is
        turned to face that way."""
        normal = (0.0, 0.0, 0.0)
        for i in range(len(points)):
            a = points[i]
            b = points[(i + 1) % len(points)]
            normal = add(normal, ((a[1] - b[1]) * (a[2] + b[2]), (a[2] - b[2]) * (a[0] + b[0]),
                                  (a[0] - b[0]) * (a[1] + b[1])))
        if facing is not None and dot(normal, facing) < 0:
            points = list(reversed(points))
            normal = mul(normal, -1)
        normal = normalize(normal)
        u = sub(points[1], points[0]) if u_axis is None else u_axis
        u = normalize(sub(u, mul(normal, dot(u, normal))))
        v = cross(normal, u)
        o = points[0] if origin is None else origin
        o = add(o, add(mul(u, shift[0]), mul(v, shift[1])))
        flat = [(dot(sub(p, o), u), dot(sub(p, o), v)) for p in points]
        su, sv = tile
        cu, cv = cell if cell else tile
        amin = min(p[0] for p in flat)
        amax = max(p[0] for p in flat)
        bmin = min(p[1] for p in flat)
        bmax = max(p[1] for p in flat)
        # Cut lines: every tile border, plus cell borders inside each tile.
        a_lines = self._cuts(amin, amax, su, cu)
        b_lines = self._cuts(bmin, bmax, sv, cv)
        for i in range(len(a_lines) - 1):
            for j in range(len(b_lines) - 1):
                a0, a1 = a_lines[i], a_lines[i + 1]
                b0, b1 = b_lines[j], b_lines[j + 1]
                piece = flat
                for axis, limit, below in ((0, a0, False), (0, a1, True), (1, b0, False), (1, b1, True)):
                    piece = clip_polygon(piece, axis, limit, below)
                    if len(piece) < 3:
                        break
                piece = clean_polygon(piece)
                if len(piece) < 3:
                    continue
                ta = math.floor((a0 + a1) * 0.5 / su) * su
                tb = math.floor((b0 + b1) * 0.5 / sv) * sv
                world = [add(o, add(mul(u, a), mul(v, b))) for a, b in piece]
                uvs = [atlas_uv(region, min(1.0, max(0.0, (a - ta) / su)), min(1.0, max(0.0, (b - tb) / sv)))
                       for a, b in piece]
                for k in range(1, len(piece) - 1):
                    self.triangle((world[0], world[k], world[k + 1]), (uvs[0], uvs[k], uvs[k + 1]), normal)

    @staticmethod
    def _cuts(lo, hi, tile, cell):
        lines = [lo]
        step = tile / max(1, round(tile / cell))
        k = math.floor(lo / step + 1e-9) + 1
        while k * step < hi - 1e-6:
            if k * step > lo + 1e-6:
                lines.append(k * step)
            k += 1
        lines.append(hi)
        return lines

    # Box faces: (axis, sign, U axis, V axis) with U x V pointing out of the face.
    _FACES = {
        '+x': (0, 1, (2, -1), (1, 1)),
        '-x': (0, -1, (2, 1), (1, 1)),
        '+y': (1, 1, (0, 1), (2, -1)),
        '-y': (1, -1, (0, 1), (2, 1)),
        '+z': (2, 1, (0, 1), (1, 1)),
        '-z': (2, -1, (0, -1), (1, 1)),
    }

    def box(self, center, axes, half, region, tile=(1.0, 1.0), faces=('+x', '-x', '+y', '-y', '+z', '-z'),
            regions=None, tiles=None, shift=None):
        """An oriented box: `axes` three right-handed unit vectors, `half` the half extents along them.
        `regions`/`tiles`/`shift` override the region, tile size and tile shift per face name."""
        for name in faces:
            axis, sign, (ua, us), (va, vs) = self._FACES[name]
            normal = mul(axes[axis], sign)
            u = mul(axes[ua], us)
            v = mul(axes[va], vs)
            hu = half[ua]
            hv = half[va]
            c = add(center, mul(normal, half[axis]))
            corners = [add(c, add(mul(u, su * hu), mul(v, sv * hv))) for su, sv in ((-1, -1), (1, -1), (1, 1), (-1, 1))]
            face_region = (regions or {}).get(name, region)
            face_tile = (tiles or {}).get(name, tile)
            face_shift = (shift or {}).get(name, (0.0, 0.0))
            self.polygon(corners, face_region, face_tile, u_axis=u, origin=corners[0], shift=face_shift)

    def abox(self, lo, hi, region, **kwargs):
        """An axis-aligned box between two corners."""
        center = mul(add(lo, hi), 0.5)
        half = mul(sub(hi, lo), 0.5)
        self.box(center, ((1, 0, 0), (0, 1, 0), (0, 0, 1)), half, region, **kwargs)

    def prism(self, base, radius, height, sides, region, top_region=None, tile=(0.3, 0.3), phase=0.0,
              top=True, bottom=False, radius_top=None):
        """A vertical prism (or frustum) with `sides` flat sides standing on `base`."""
        r_top = radius if radius_top is None else radius_top
        ring = []
        for k in range(sides):
            angle = phase + 2 * math.pi * k / sides
            ring.append((math.cos(angle), math.sin(angle)))
        up = add(base, (0, height, 0))
        for k in range(sides):
            c0 = ring[k]
            c1 = ring[(k + 1) % sides]
            p0 = add(base, (c0[0] * radius, 0, -c0[1] * radius))
            p1 = add(base, (c1[0] * radius, 0, -c1[1] * radius))
            p2 = add(up, (c1[0] * r_top, 0, -c1[1] * r_top))
            p3 = add(up, (c0[0] * r_top, 0, -c0[1] * r_top))
            outward = (math.cos(phase + 2 * math.pi * (k + 0.5) / sides), 0,
                       -math.sin(phase + 2 * math.pi * (k + 0.5) / sides))
            self.polygon([p0, p1, p2, p3], region, tile, facing=outward)
        if top:
            cap = [add(up, (c[0] * r_top, 0, -c[1] * r_top)) for c in ring]
            self.polygon(cap, top_region or region, tile, facing=(0, 1, 0))
        if bottom:
            cap = [add(base, (c[0] * radius, 0, -c[1] * radius)) for c in ring]
            self.polygon(cap, top_region or region, tile, facing=(0, -1, 0))

    def blob(self, center, radii, region, rng, subdivisions=2, roughness=0.12, tile=(0.4, 0.4), flat_base=True):
        """A lumpy sphere (a shrub or a clump of leaves): an icosphere with jittered radii."""
        t = (1 + math.sqrt(5)) / 2
        verts = [normalize(v) for v in ((-1, t, 0), (1, t, 0), (-1, -t, 0), (1, -t, 0), (0, -1, t), (0, 1, t),
                                        (0, -1, -t), (0, 1, -t), (t, 0, -1), (t, 0, 1), (-t, 0, -1), (-t, 0, 1))]
        faces = [(0, 11, 5), (0, 5, 1), (0, 1, 7), (0, 7, 10), (0, 10, 11), (1, 5, 9), (5, 11, 4), (11, 10, 2),
                 (10, 7, 6), (7, 1, 8), (3, 9, 4), (3, 4, 2), (3, 2, 6), (3, 6, 8), (3, 8, 9), (4, 9, 5),
                 (2, 4, 11), (6, 2, 10), (8, 6, 7), (9, 8, 1)]
        for _ in range(subdivisions):
            midpoints = {}

            def midpoint(a, b):
                key = (min(a, b), max(a, b))
                if key not in midpoints:
                    verts.append(normalize(mul(add(verts[a], verts[b]), 0.5)))
                    midpoints[key] = len(verts) - 1
                return midpoints[key]

            refined = []
            for a, b, c in faces:
                ab, bc, ca = midpoint(a, b), midpoint(b, c), midpoint(c, a)
                refined += [(a, ab, ca), (b, bc, ab), (c, ca, bc), (ab, bc, ca)]
            faces = refined
        scale = [1.0 + rng.uniform(-roughness, roughness) for _ in verts]
        points = []
        for v, s in zip(verts, scale):
            y = v[1]
            if flat_base and y < -0.3:
                y = -0.3  # sits on the ground instead of sinking into it
            points.append(add(center, (v[0] * radii[0] * s, y * radii[1] * s, v[2] * radii[2] * s)))
        # Smooth shading: each corner's normal is the average of the faces around it.
        oriented = []
        corner_normals = [(0.0, 0.0, 0.0)] * len(points)
        for a, b, c in faces:
            n = cross(sub(points[b], points[a]), sub(points[c], points[a]))
            if length(n) < 1e-9:
                continue
            outward = sub(mul(add(add(points[a], points[b]), points[c]), 1 / 3), center)
            if dot(n, outward) < 0:
                b, c = c, b
                n = mul(n, -1)
            oriented.append((a, b, c))
            for k in (a, b, c):
                corner_normals[k] = add(corner_normals[k], n)
        for a, b, c in oriented:
            pa, pb, pc = points[a], points[b], points[c]
            normal = normalize(cross(sub(pb, pa), sub(pc, pa)))
            u = normalize(sub(pb, pa))
            v = cross(normal, u)
            flat = [(dot(sub(p, pa), u) / tile[0], dot(sub(p, pa), v) / tile[1]) for p in (pa, pb, pc)]
            # Blobs are small: one tile per triangle, positioned so the triangle fits inside it.
            lo_u = min(f[0] for f in flat)
            lo_v = min(f[1] for f in flat)
            uvs = [atlas_uv(region, min(1.0, f[0] - lo_u), min(1.0, f[1] - lo_v)) for f in flat]
            smooth = [normalize(corner_normals[k]) for k in (a, b, c)]
            # Where the flattened base folds the surface, smooth normals would face away: keep it flat there.
            if min(dot(n, normal) for n in smooth) < 0.2:
                smooth = None
            self.triangle((pa, pb, pc), uvs, normal, corner_normals=smooth)

    def write_obj(self, path, header_lines, y_offset):
        with open(path, 'w', newline='\n') as out:
            for line in header_lines:
                out.write('# ' + line + '\n')
            out.write('o cottage\n')
            for p in self.positions:
                out.write('v %.5f %.5f %.5f\n' % (p[0], p[1] + y_offset, p[2]))
            for t in self.uvs:
                out.write('vt %.5f %.5f\n' % t)
            for n in self.normals:
                out.write('vn %.5f %.5f %.5f\n' % n)
            for name, faces in self.groups:
                if not faces:
                    continue
                out.write('g %s\n' % name)
                for corners in faces:
                    out.write('f ' + ' '.join('%d/%d/%d' % c for c in corners) + '\n')


# ---------------------------------------------------------------------------------------------- cottage

WIDTH = 5.8       # walls along x
DEPTH = 3.8       # walls along z; the door faces +z
EAVE = 2.7        # top of the walls
PLINTH = 0.35     # height of the brick plinth
PITCH = math.radians(42)
EAVE_OVERHANG = 0.45
GABLE_OVERHANG = 0.35
DECK = 0.1        # thickness of the roof deck under the tiles
GROUND = 4.0      # half size of the grass patch
Y_OFFSET = -2.6   # moves the whole model so that its middle sits near the origin

RIDGE_BOTTOM = EAVE + (DEPTH / 2) * math.tan(PITCH)  # underside of the roof deck at the ridge


class Wall:
    """A wall face: origin, in-plane axes U (horizontal) and V (up) and the outward normal N = U x V.
    Local coordinates (a, b, d): a along U, b along V (= height above ground), d outwards."""

    def __init__(self, origin, u):
        self.o = origin
        self.u = u
        self.v = (0.0, 1.0, 0.0)
        self.n = cross(self.u, self.v)

    def at(self, a, b, d=0.0):
        return add(self.o, add(mul(self.u, a), add(mul(self.v, b), mul(self.n, d))))

    def box(self, mesh, a0, a1, b0, b1, d0, d1, region, faces=('+x', '-x', '+y', '-y', '+z'), **kwargs):
        center = self.at((a0 + a1) / 2, (b0 + b1) / 2, (d0 + d1) / 2)
        mesh.box(center, (self.u, self.v, self.n), ((a1 - a0) / 2, (b1 - b0) / 2, (d1 - d0) / 2), region,
                 faces=faces, **kwargs)


def wall_surface(mesh, wall, outline, holes, recess):
    """Plaster over a convex outline (a, b points, counter-clockwise) with rectangular openings
    (a0, a1, b0, b1), plus the reveals that line each opening back to `recess`."""
    a_cuts = sorted({a for h in holes for a in (h[0], h[1])})
    b_cuts = sorted({b for h in holes for b in (h[2], h[3])})
    amin = min(p[0] for p in outline)
    amax = max(p[0] for p in outline)
    bmin = min(p[1] for p in outline)
    bmax = max(p[1] for p in outline)
    a_lines = [amin] + [a for a in a_cuts if amin < a < amax] + [amax]
    b_lines = [bmin] + [b for b in b_cuts if bmin < b < bmax] + [bmax]
    for i in range(len(a_lines) - 1):
        for j in range(len(b_lines) - 1):
            a0, a1, b0, b1 = a_lines[i], a_lines[i + 1], b_lines[j], b_lines[j + 1]
            ca, cb = (a0 + a1) / 2, (b0 + b1) / 2
            if any(h[0] < ca < h[1] and h[2] < cb < h[3] for h in holes):
                continue
            piece = outline
            for axis, limit, below in ((0, a0, False), (0, a1, True), (1, b0, False), (1, b1, True)):
                piece = clip_polygon(piece, axis, limit, below)
                if len(piece) < 3:
                    break
            piece = clean_polygon(piece)
            if len(piece) < 3:
                continue
            mesh.polygon([wall.at(a, b) for a, b in piece], 'plaster', (1.0, 1.0), u_axis=wall.u,
                         origin=wall.o, cell=(0.5, 0.5))
    for a0, a1, b0, b1 in holes:
        # No bottom reveal: sills and the door's threshold cover it.
        sides = (
            ((a1, b1), (a0, b1), mul(wall.v, -1), 'plaster'),
            ((a0, b1), (a0, b0), wall.u, 'plaster'),
            ((a1, b0), (a1, b1), mul(wall.u, -1), 'plaster'),
        )
        for (pa, pb, facing, region) in sides:
            quad = [wall.at(pa[0], pa[1], 0), wall.at(pb[0], pb[1], 0), wall.at(pb[0], pb[1], -recess),
                    wall.at(pa[0], pa[1], -recess)]
            mesh.polygon(quad, region, (1.0, 1.0), facing=facing)


def window(mesh, wall, rng, center_a, b0, width, height, recess=0.14, shutters=False, flower_box=False,
           panes=(2, 2)):
    a0 = center_a - width / 2
    a1 = center_a + width / 2
    b1 = b0 + height
    # Glass at the back of the recess, mapped once over the whole opening.
    mesh.polygon([wall.at(a0, b0, -recess), wall.at(a1, b0, -recess), wall.at(a1, b1, -recess),
                  wall.at(a0, b1, -recess)], 'glass', (width, height), u_axis=wall.u,
                 origin=wall.at(a0, b0, -recess))
    # Frame and glazing bars.
    f = 0.065
    d0 = -recess
    d1 = -recess + 0.06
    bar = 0.04
    wall.box(mesh, a0, a0 + f, b0, b1, d0, d1, 'paint')
    wall.box(mesh, a1 - f, a1, b0, b1, d0, d1, 'paint')
    wall.box(mesh, a0 + f, a1 - f, b0, b0 + f, d0, d1, 'paint')
    wall.box(mesh, a0 + f, a1 - f, b1 - f, b1, d0, d1, 'paint')
    columns, rows = panes
    for k in range(1, columns):
        a = a0 + width * k / columns
        wall.box(mesh, a - bar / 2, a + bar / 2, b0 + f, b1 - f, d0, d1 - 0.015, 'paint')
    for k in range(1, rows):
        b = b0 + height * k / rows
        wall.box(mesh, a0 + f, a1 - f, b - bar / 2, b + bar / 2, d0, d1 - 0.015, 'paint')
    # Stone sill proud of the wall, timber lintel above.
    wall.box(mesh, a0 - 0.08, a1 + 0.08, b0 - 0.07, b0, -recess, 0.07, 'stone')
    wall.box(mesh, a0 - 0.12, a1 + 0.12, b1, b1 + 0.14, 0.0, 0.035, 'timber', tile=(1.0, 0.5))
    if shutters:
        gap = 0.07
        for s0, s1 in ((a0 - gap - width / 2, a0 - gap), (a1 + gap, a1 + gap + width / 2)):
            wall.box(mesh, s0, s1, b0, b1, 0.0, 0.035, 'shutter', tile=(width / 2, height))
            # Ledges across the back of the boards.
            for lb in (b0 + 0.12, b1 - 0.2):
                wall.box(mesh, s0 + 0.03, s1 - 0.03, lb, lb + 0.08, 0.035, 0.055, 'shutter', tile=(1.0, 1.0))
    if flower_box:
        top = b0 - 0.1
        wall.box(mesh, a0 - 0.04, a1 + 0.04, top - 0.2, top, 0.0, 0.22, 'shutter', tile=(1.0, 1.0))
        count = 5
        for k in range(count):
            a = a0 + (k + 0.5) * width / count
            center = wall.at(a + rng.uniform(-0.03, 0.03), top + 0.02, 0.11)
            region = rng.choice(['flower_red', 'flower_red', 'flower_yellow', 'flower_white'])
            mesh.blob(center, (0.11, 0.12, 0.1), region, rng, subdivisions=1, roughness=0.2, tile=(0.2, 0.2))


def door(mesh, wall, center_a, width, height, recess=0.16):
    a0 = center_a - width / 2
    a1 = center_a + width / 2
    b0 = PLINTH
    b1 = b0 + height
    # Plank leaf at the back of the recess.
    wall.box(mesh, a0, a1, b0, b1, -recess - 0.04, -recess, 'door', faces=('+z',), tile=(width, height))
    # Ledges and brace on its face.
    for lb in (b0 + 0.22, b1 - 0.34):
        wall.box(mesh, a0 + 0.06, a1 - 0.06, lb, lb + 0.13, -recess, -recess + 0.035, 'door',
                 faces=('+y', '-y', '+z', '+x', '-x'), tile=(1.0, 1.0))
    start = (a0 + 0.12, b0 + 0.35)
    end = (a1 - 0.12, b1 - 0.34)
    direction = normalize(add(mul(wall.u, end[0] - start[0]), mul(wall.v, end[1] - start[1])))
    side = cross(wall.n, direction)
    span = math.hypot(end[0] - start[0], end[1] - start[1])
    center = wall.at((start[0] + end[0]) / 2, (start[1] + end[1]) / 2, -recess + 0.0175)
    mesh.box(center, (direction, side, wall.n), (span / 2, 0.06, 0.0175), 'door', tile=(1.0, 1.0),
             faces=('+y', '-y', '+z'))
    # Ring handle and keyhole plate.
    knob = wall.at(a1 - 0.14, b0 + 1.0, -recess + 0.035)
    mesh.box(knob, (wall.u, wall.v, wall.n), (0.035, 0.05, 0.012), 'brass', tile=(0.2, 0.2),
             faces=('+x', '-x', '+y', '-y', '+z'))
    mesh.box(add(knob, mul(wall.n, 0.04)), (wall.u, wall.v, wall.n), (0.025, 0.025, 0.03), 'brass',
             tile=(0.2, 0.2), faces=('+x', '-x', '+y', '-y', '+z'))
    # Casing around the opening and a lintel.
    wall.box(mesh, a0 - 0.11, a0, b0, b1, 0.0, 0.05, 'timber', tile=(0.5, 1.0))
    wall.box(mesh, a1, a1 + 0.11, b0, b1, 0.0, 0.05, 'timber', tile=(0.5, 1.0))
    wall.box(mesh, a0 - 0.16, a1 + 0.16, b1, b1 + 0.16, 0.0, 0.06, 'timber', tile=(1.0, 0.5))
    # The threshold under the leaf, then two stone steps down to the path.
    wall.box(mesh, a0, a1, PLINTH / 2, PLINTH, -recess - 0.04, 0.05, 'stone', faces=('+y',))
    wall.box(mesh, a0 - 0.25, a1 + 0.25, PLINTH / 2, PLINTH, 0.05, 0.45, 'stone', faces=('+x', '-x', '+y', '+z'))
    wall.box(mesh, a0 - 0.4, a1 + 0.4, 0.0, PLINTH / 2, 0.05, 0.8, 'stone', faces=('+x', '-x', '+y', '+z'))
    return (a0, a1, b0, b1)


def quoins(mesh, x_sign, z_sign):
    """Stone blocks up a corner, alternately long on one face and short on the other."""
    b = PLINTH + 0.01
    row = 0
    while b + 0.2 <= EAVE - 0.05:
        long_x = row % 2 == 0
        lx = 0.42 if long_x else 0.24
        lz = 0.24 if long_x else 0.42
        x_out = x_sign * (WIDTH / 2 + 0.03)
        x_in = x_sign * (WIDTH / 2 - lx)
        z_out = z_sign * (DEPTH / 2 + 0.03)
        z_in = z_sign * (DEPTH / 2 - lz)
        mesh.abox((min(x_out, x_in), b, min(z_out, z_in)), (max(x_out, x_in), b + 0.2, max(z_out, z_in)), 'stone',
                  faces=('+x', '-x', '+y', '-y', '+z', '-z'))
        b += 0.215
        row += 1


def plinth(mesh, door_span):
    out = 0.05
    x0, x1 = -WIDTH / 2 - out, WIDTH / 2 + out
    z0, z1 = -DEPTH / 2 - out, DEPTH / 2 + out
    regions = {'+y': 'stone'}
    tiles = {'+y': (1.0, 0.2)}
    faces = ('+x', '-x', '+y', '+z', '-z')
    # Back and sides as one ring of slabs, the front split by the door.
    mesh.abox((x0, 0, z0), (x1, PLINTH, -DEPTH / 2 + 0.1), 'brick', faces=('+x', '-x', '+y', '-z'),
              regions=regions, tiles=tiles)
    mesh.abox((x0, 0, -DEPTH / 2 + 0.1), (-WIDTH / 2 + 0.1, PLINTH, DEPTH / 2 - 0.1), 'brick', faces=('-x', '+y'),
              regions=regions, tiles=tiles)
    mesh.abox((WIDTH / 2 - 0.1, 0, -DEPTH / 2 + 0.1), (x1, PLINTH, DEPTH / 2 - 0.1), 'brick', faces=('+x', '+y'),
              regions=regions, tiles=tiles)
    mesh.abox((x0, 0, DEPTH / 2 - 0.1), (door_span[0], PLINTH, z1), 'brick', faces=faces, regions=regions,
              tiles=tiles)
    mesh.abox((door_span[1], 0, DEPTH / 2 - 0.1), (x1, PLINTH, z1), 'brick', faces=faces, regions=regions,
              tiles=tiles)


def roof(mesh, rng):
    sin_p = math.sin(PITCH)
    cos_p = math.cos(PITCH)
    half_x = WIDTH / 2 + GABLE_OVERHANG
    slope = (DEPTH / 2 + EAVE_OVERHANG) / cos_p  # deck length from ridge to eave
    ridge = (0.0, RIDGE_BOTTOM, 0.0)
    exposure = 0.25
    overlap = 0.12
    thickness = 0.035
    tile_width = 0.3
    for side in (1, -1):
        x_axis = (side, 0.0, 0.0)
        down = (0.0, -sin_p, side * cos_p)  # down the slope
        out = (0.0, cos_p, side * sin_p)  # out of the roof
        # The deck: its underside is the soffit seen below the eaves, its lower edge the fascia.
        center = add(ridge, add(mul(down, slope / 2), mul(out, DECK / 2)))
        mesh.box(center, (x_axis, out, down), (half_x, DECK / 2, slope / 2), 'tile_edge',
                 faces=('+y', '-y', '+z', '-z', '+x', '-x'),
                 regions={'-y': 'soffit', '-z': 'timber', '+z': 'timber', '+x': 'timber', '-x': 'timber'},
                 tiles={'-y': (1.0, 1.0), '+z': (1.0, DECK), '+x': (1.0, DECK), '-x': (1.0, DECK)})
        # Tile courses from the eave up, each lying on the one below so its lower edge steps out.
        low = slope + 0.05
        course = 0
        while low > 0.02:
            high = max(0.0, low - exposure - overlap)
            length_ = low - high
            lift = thickness / length_
            c_down = normalize(add(down, mul(out, lift)))
            c_out = normalize(sub(out, mul(down, lift)))
            top = add(ridge, add(mul(down, high), mul(out, DECK)))
            center = add(top, add(mul(c_down, length_ / 2), mul(c_out, thickness / 2)))
            stagger = ((course % 2) * 0.5 + rng.randrange(4)) * tile_width
            # The eave course shows its underside; the last course closes its upper end under the ridge.
            faces = ['+y', '+z', '+x', '-x'] + (['-y'] if course == 0 else []) + (['-z'] if high == 0.0 else [])
            mesh.box(center, (x_axis, c_out, c_down), (half_x + 0.04, thickness / 2, length_ / 2), 'roof',
                     faces=faces, tiles={'+y': (4 * tile_width, length_), '+z': (1.0, thickness),
                                         '-z': (1.0, thickness), '+x': (1.0, 1.0), '-x': (1.0, 1.0), '-y': (1.0, 1.0)},
                     regions={'+z': 'tile_edge', '-z': 'tile_edge', '+x': 'tile_edge', '-x': 'tile_edge',
                              '-y': 'tile_edge'},
                     shift={'+y': (stagger, 0.0)})
            low -= exposure
            course += 1
        # Barge boards along both gable edges of this slope.
        for end in (1, -1):
            board_center = add(ridge, add(mul(down, slope / 2 + 0.02), mul(out, DECK / 2 + 0.02)))
            board_center = add(board_center, (end * (half_x + 0.065), 0.0, 0.0))
            ez = mul(down, side)  # keeps (x, out, ez) right-handed on both slopes
            mesh.box(board_center, ((1.0, 0.0, 0.0), out, ez), (0.025, 0.14, slope / 2 + 0.04), 'timber',
                     tile=(1.0, 1.0))
    # Ridge tiles: square sections turned 45 degrees astride the ridge.
    # Centred on the upper edges of the top courses, so the cap covers the groove between the slopes.
    top_y = RIDGE_BOTTOM + (DECK + thickness) * cos_p + 0.01
    diagonal = (0.0, math.sqrt(0.5), math.sqrt(0.5))
    other = (0.0, -math.sqrt(0.5), math.sqrt(0.5))
    end = half_x + 0.03  # the ridge stops inside the barge boards
    x = -end
    while x < end - 1e-6:
        seg = min(0.42, end - x)
        mesh.box((x + seg / 2, top_y, 0.0), ((1.0, 0.0, 0.0), diagonal, other), (seg / 2 - 0.004, 0.08, 0.08),
                 'tile_edge', tile=(0.5, 0.5))
        x += seg


def chimney(mesh):
    x0, x1 = 1.5, 2.2
    z0, z1 = -0.32, 0.32
    base = RIDGE_BOTTOM - 0.6
    top = RIDGE_BOTTOM + 1.05
    mesh.abox((x0, base, z0), (x1, top, z1), 'brick', faces=('+x', '-x', '+z', '-z'))
    mesh.abox((x0 - 0.05, top - 0.3, z0 - 0.05), (x1 + 0.05, top - 0.2, z1 + 0.05), 'brick',
              faces=('+x', '-x', '+y', '-y', '+z', '-z'))
    mesh.abox((x0 - 0.07, top, z0 - 0.07), (x1 + 0.07, top + 0.09, z1 + 0.07), 'stone',
              faces=('+x', '-x', '+y', '-y', '+z', '-z'))
    mesh.abox((x0, top - 0.001, z0), (x1, top, z1), 'soot', faces=('+y',))
    for px in (x0 + 0.18, x1 - 0.18):
        base_pot = (px, top + 0.09, 0.0)
        mesh.prism(base_pot, 0.11, 0.06, 10, 'pot', tile=(0.3, 0.3), top=True)
        mesh.prism(add(base_pot, (0, 0.06, 0)), 0.085, 0.26, 10, 'pot', tile=(0.3, 0.3), top=False, radius_top=0.075)
        rim = add(base_pot, (0, 0.32, 0))
        mesh.prism(rim, 0.095, 0.05, 10, 'pot', top=False, bottom=True)
        # The rim's top: a ring of pot around the sooty opening.
        lip = add(rim, (0, 0.05, 0))
        for k in range(10):
            angles = (2 * math.pi * k / 10, 2 * math.pi * (k + 1) / 10)
            outer = [add(lip, (math.cos(t) * 0.095, 0, -math.sin(t) * 0.095)) for t in angles]
            inner = [add(lip, (math.cos(t) * 0.07, 0, -math.sin(t) * 0.07)) for t in angles]
            mesh.polygon([outer[0], outer[1], inner[1], inner[0]], 'pot', (0.3, 0.3), facing=(0, 1, 0))
        opening = [add(lip, (math.cos(2 * math.pi * k / 10) * 0.07, 0.0, -math.sin(2 * math.pi * k / 10) * 0.07))
                   for k in range(10)]
        mesh.polygon(opening, 'soot', (0.3, 0.3), facing=(0, 1, 0))


def ground(mesh, rng, door_span):
    g = GROUND
    mesh.polygon([(-g, 0, g), (g, 0, g), (g, 0, -g), (-g, 0, -g)], 'grass', (2.0, 2.0), u_axis=(1, 0, 0),
                 origin=(0, 0, 0), cell=(0.5, 0.5))
    depth = 0.3
    for a, b, n in (((-g, g), (g, g), (0, 0, 1)), ((g, g), (g, -g), (1, 0, 0)), ((g, -g), (-g, -g), (0, 0, -1)),
                    ((-g, -g), (-g, g), (-1, 0, 0))):
        quad = [(a[0], -depth, a[1]), (b[0], -depth, b[1]), (b[0], 0, b[1]), (a[0], 0, a[1])]
        mesh.polygon(quad, 'earth', (1.0, 1.0), facing=n, cell=(0.5, 0.3))
    mesh.polygon([(-g, -depth, -g), (g, -depth, -g), (g, -depth, g), (-g, -depth, g)], 'earth', (1.0, 1.0),
                 facing=(0, -1, 0))
    # Flagstone path from the steps to the edge of the grass.
    z = DEPTH / 2 + 0.84
    row = 0
    while True:
        depth_ = rng.uniform(0.34, 0.44)
        if z + depth_ > g - 0.08:
            break
        split = rng.uniform(-0.15, 0.15)
        for x0, x1 in ((-0.55 + rng.uniform(-0.04, 0.04), split - 0.025), (split + 0.025, 0.55 + rng.uniform(-0.04, 0.04))):
            cx = (x0 + x1) / 2 + rng.uniform(-0.02, 0.02)
            cz = z + depth_ / 2
            angle = math.radians(rng.uniform(-6, 6))
            height = rng.uniform(0.03, 0.05)
            ex = (math.cos(angle), 0.0, -math.sin(angle))
            ez = (math.sin(angle), 0.0, math.cos(angle))
            mesh.box((cx, height / 2, cz), (ex, (0.0, 1.0, 0.0), ez), ((x1 - x0) / 2 - 0.01, height / 2, depth_ / 2 - 0.02),
                     'flagstone', tile=(0.8, 0.8), faces=('+x', '-x', '+y', '+z', '-z'),
                     shift={'+y': (rng.uniform(0, 0.4), rng.uniform(0, 0.4))})
        z += depth_ + 0.05
        row += 1


def shrubs(mesh, rng):
    spots = [(-3.35, 2.3, 0.45), (3.35, 2.2, 0.42), (-3.4, -1.2, 0.5), (3.45, -1.9, 0.4), (-2.2, -2.75, 0.45),
             (0.95, 3.3, 0.3), (-1.0, 3.55, 0.28)]
    for x, z, r in spots:
        mesh.blob((x, r * 0.22, z), (r, r * 0.9, r), 'foliage', rng, subdivisions=2, roughness=0.13,
                  tile=(0.5, 0.5))


def build():
    rng = random.Random(2024)
    mesh = MeshBuilder()
    half_w = WIDTH / 2
    half_d = DEPTH / 2
    apex = RIDGE_BOTTOM

    front = Wall((0.0, 0.0, half_d), (1.0, 0.0, 0.0))
    back = Wall((0.0, 0.0, -half_d), (-1.0, 0.0, 0.0))
    east = Wall((half_w, 0.0, 0.0), (0.0, 0.0, -1.0))
    west = Wall((-half_w, 0.0, 0.0), (0.0, 0.0, 1.0))

    mesh.group('walls')
    door_w, door_h = 0.95, 2.0
    door_hole = (-door_w / 2, door_w / 2, PLINTH, PLINTH + door_h)
    front_windows = [(-1.55, 1.05, 0.8, 1.05), (1.55, 1.05, 0.8, 1.05)]
    back_windows = [(-1.4, 1.1, 0.85, 1.0), (1.3, 1.3, 0.6, 0.75)]
    side_windows = [(0.0, 1.1, 0.9, 1.0), (0.0, EAVE + 0.35, 0.55, 0.6)]

    def holes(windows):
        return [(a - w / 2, a + w / 2, b, b + h) for a, b, w, h in windows]

    rect = lambda a_half: [(-a_half, PLINTH), (a_half, PLINTH), (a_half, EAVE), (-a_half, EAVE)]
    gable = [(-half_d, PLINTH), (half_d, PLINTH), (half_d, EAVE), (0.0, apex), (-half_d, EAVE)]
    wall_surface(mesh, front, rect(half_w), holes(front_windows) + [door_hole], 0.14)
    wall_surface(mesh, back, rect(half_w), holes(back_windows), 0.14)
    wall_surface(mesh, east, gable, holes(side_windows), 0.14)
    wall_surface(mesh, west, gable, holes(side_windows), 0.14)

    mesh.group('door')
    door_span = door(mesh, front, 0.0, door_w, door_h, recess=0.14)

    mesh.group('windows')
    for a, b, w, h in front_windows:
        window(mesh, front, rng, a, b, w, h, shutters=True, flower_box=True)
    for a, b, w, h in back_windows:
        window(mesh, back, rng, a, b, w, h, panes=(2, 2) if w > 0.7 else (1, 2))
    for wall in (east, west):
        a, b, w, h = side_windows[0]
        window(mesh, wall, rng, a, b, w, h, shutters=True)
        a, b, w, h = side_windows[1]
        window(mesh, wall, rng, a, b, w, h, panes=(2, 1))

    mesh.group('stonework')
    plinth(mesh, door_span)
    for xs in (1, -1):
        for zs in (1, -1):
            quoins(mesh, xs, zs)

    mesh.group('roof')
    roof(mesh, rng)
    mesh.group('chimney')
    chimney(mesh)
    mesh.group('garden')
    ground(mesh, rng, door_span)
    shrubs(mesh, rng)
    return mesh


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, os.pardir, 'scene')
    os.makedirs(out_dir, exist_ok=True)

    mesh = build()
    mesh.write_obj(os.path.join(out_dir, 'cottage.obj'),
                   ['Cottage for the Tavisher viewer, generated by tools/make_cottage.py; do not edit by hand.',
                    'Texture atlas: cottage_diffuse.png. Y up, counter-clockwise front faces.',
                    '%d triangles' % mesh.triangles], Y_OFFSET)
    atlas = paint_atlas()
    with open(os.path.join(out_dir, 'cottage_diffuse.png'), 'wb') as out:
        out.write(atlas.png())
    lo = [min(p[i] for p in mesh.positions) for i in range(3)]
    hi = [max(p[i] for p in mesh.positions) for i in range(3)]
    lo[1] += Y_OFFSET
    hi[1] += Y_OFFSET
    print('cottage: %d triangles, %d positions; bounds %s .. %s' % (
        mesh.triangles, len(mesh.positions), ['%.2f' % c for c in lo], ['%.2f' % c for c in hi]))


if __name__ == '__main__':
    main()
