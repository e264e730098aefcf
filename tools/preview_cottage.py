#!/usr/bin/env python3
"""Renders scene/cottage.obj with its texture from a few angles into one PNG, to check the model by eye.

A small software rasteriser (standard library only): perspective-correct texturing, a depth buffer, and
per-face Phong lighting, either with the viewer's own lights and material or with a softer "sun" setting.
Texture coordinates are read the way the viewer's loader reads them (V flipped, image rows top down).

Usage: tools/preview_cottage.py [--obj scene/cottage.obj] [--texture scene/cottage_diffuse.png]
                                [--out cottage_preview.png] [--size 640x480] [--lighting scene|sun]
                                [--supersample 2] [--backfaces]
With --backfaces, triangles seen from behind are drawn magenta: a closed model should show none.
"""

import argparse
import math
import os
import struct
import zlib


def read_png(path):
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError('%s is not a PNG file' % path)
    pos = 8
    idat = b''
    width = height = channels = 0
    while pos < len(data):
        size, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + size]
        pos += 12 + size
        if kind == b'IHDR':
            width, height, depth, color_type = struct.unpack('>IIBB', body[:10])
            if depth != 8 or color_type not in (2, 6):
                raise ValueError('only 8-bit RGB or RGBA PNG files are supported')
            channels = 3 if color_type == 2 else 4
        elif kind == b'IDAT':
            idat += body
    raw = zlib.decompress(idat)
    stride = width * channels
    pixels = bytearray(width * height * 3)
    previous = bytearray(stride)
    pos = 0
    for y in range(height):
        kind = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                predictor = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + predictor) & 0xFF
        for x in range(width):
            pixels[(y * width + x) * 3:(y * width + x) * 3 + 3] = line[x * channels:x * channels + 3]
        previous = line
    return width, height, pixels


def write_png(path, width, height, pixels):
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        raw += pixels[y * width * 3:(y + 1) * width * 3]

    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF)

    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)) +
                chunk(b'IDAT', zlib.compress(bytes(raw), 6)) + chunk(b'IEND', b''))


def read_obj(path):
    positions, uvs, normals, triangles = [], [], [], []
    with open(path) as f:
        for line in f:
            parts = line.split()
            if not parts:
                continue
            if parts[0] == 'v':
                positions.append(tuple(float(c) for c in parts[1:4]))
            elif parts[0] == 'vt':
                uvs.append(tuple(float(c) for c in parts[1:3]))
            elif parts[0] == 'vn':
                normals.append(tuple(float(c) for c in parts[1:4]))
            elif parts[0] == 'f':
                corners = [tuple(int(i) - 1 for i in c.split('/')) for c in parts[1:]]
                for k in range(1, len(corners) - 1):
                    triangles.append((corners[0], corners[k], corners[k + 1]))
    return positions, uvs, normals, triangles


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def normalize(a):
    n = math.sqrt(dot(a, a))
    return (a[0] / n, a[1] / n, a[2] / n)


# The viewer's scene: a directional light and a point light above, and the model's material.
SCENE_LIGHTS = [
    {'type': 1, 'color': (0.6, 0.6, 0.7), 'intensity': 0.5, 'direction': (1.0, -0.3, 0.0)},
    {'type': 0, 'color': (0.7, 0.5, 0.5), 'intensity': 1.0, 'position': (0.0, 10.0, 0.0)},
]
SCENE_MATERIAL = {'ambient': 0.2, 'diffuse': 0.6, 'specular': 1.0, 'shininess': 5.0}
SUN_LIGHTS = [
    {'type': 1, 'color': (1.0, 0.96, 0.88), 'intensity': 1.0, 'direction': (-0.5, -0.8, -0.35)},
    {'type': 1, 'color': (0.55, 0.62, 0.75), 'intensity': 0.35, 'direction': (0.6, -0.3, 0.7)},
]
SUN_MATERIAL = {'ambient': 0.3, 'diffuse': 0.85, 'specular': 0.12, 'shininess': 20.0}


def face_light(center, normal, eye, lights, material):
    """Phong lighting at one point: (diffuse factor per channel, specular per channel)."""
    to_eye = normalize(sub(eye, center))
    diffuse = [0.0, 0.0, 0.0]
    specular = [0.0, 0.0, 0.0]
    for light in lights:
        if light['type'] == 1:
            to_light = normalize(tuple(-c for c in light['direction']))
        else:
            to_light = normalize(sub(light['position'], center))
        lambert = max(0.0, dot(normal, to_light))
        if lambert <= 0:
            continue
        reflected = sub(tuple(2 * dot(normal, to_light) * c for c in normal), to_light)
        spec = max(0.0, dot(reflected, to_eye)) ** material['shininess']
        for c in range(3):
            radiance = light['color'][c] * light['intensity']
            diffuse[c] += radiance * lambert
            specular[c] += radiance * spec
    scale = [material['ambient'] + material['diffuse'] * d for d in diffuse]
    return scale, [material['specular'] * s for s in specular]


def render(model, texture, eye, target, width, height, lights, material, backfaces):
    positions, uvs, normals, triangles = model
    tex_w, tex_h, tex = texture
    forward = normalize(sub(target, eye))
    right = normalize(cross(forward, (0.0, 1.0, 0.0)))
    up = cross(right, forward)
    focal = 1.0 / math.tan(math.radians(45.0) / 2)
    aspect = width / height
    near = 0.05
    depth = [0.0] * (width * height)  # 1/w; larger is nearer
    color = bytearray([200, 214, 230] * (width * height))
    for y in range(height):  # a sky gradient behind the model
        t = y / height
        row = bytes((int(150 + 70 * t), int(180 + 45 * t), int(215 + 20 * t)))
        color[y * width * 3:(y + 1) * width * 3] = row * width

    for tri in triangles:
        pts = [positions[c[0]] for c in tri]
        view = []
        for p in pts:
            d = sub(p, eye)
            view.append((dot(d, right), dot(d, up), dot(d, forward)))
        if min(v[2] for v in view) < near:
            continue
        screen = []
        for x, y, z in view:
            sx = (x * focal / aspect / z * 0.5 + 0.5) * width
            sy = (0.5 - y * focal / z * 0.5) * height
            screen.append((sx, sy, 1.0 / z))
        (x0, y0, w0), (x1, y1, w1), (x2, y2, w2) = screen
        area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0)
        if abs(area) < 1e-12:
            continue
        normal = normalize(tuple(sum(normals[c[2]][i] for c in tri) for i in range(3)))
        center = tuple(sum(p[i] for p in pts) / 3 for i in range(3))
        seen_from_behind = dot(normal, sub(eye, center)) < 0
        if seen_from_behind:
            normal = tuple(-c for c in normal)
        scale, spec = face_light(center, normal, eye, lights, material)
        magenta = backfaces and seen_from_behind
        t = [uvs[c[1]] for c in tri]
        # Texture coordinates over w for perspective-correct interpolation; V flipped as the loader does.
        u0, u1, u2 = t[0][0] * w0, t[1][0] * w1, t[2][0] * w2
        v0, v1, v2 = (1 - t[0][1]) * w0, (1 - t[1][1]) * w1, (1 - t[2][1]) * w2
        xmin = max(0, int(math.floor(min(x0, x1, x2))))
        xmax = min(width - 1, int(math.ceil(max(x0, x1, x2))))
        ymin = max(0, int(math.floor(min(y0, y1, y2))))
        ymax = min(height - 1, int(math.ceil(max(y0, y1, y2))))
        inv = 1.0 / area
        for py in range(ymin, ymax + 1):
            cy = py + 0.5
            for px in range(xmin, xmax + 1):
                cx = px + 0.5
                b0 = ((x1 - cx) * (y2 - cy) - (x2 - cx) * (y1 - cy)) * inv
                b1 = ((x2 - cx) * (y0 - cy) - (x0 - cx) * (y2 - cy)) * inv
                b2 = 1.0 - b0 - b1
                if b0 < 0 or b1 < 0 or b2 < 0:
                    continue
                w = b0 * w0 + b1 * w1 + b2 * w2
                index = py * width + px
                if w <= depth[index]:
                    continue
                depth[index] = w
                o = index * 3
                if magenta:
                    color[o:o + 3] = b'\xff\x00\xff'
                    continue
                u = (b0 * u0 + b1 * u1 + b2 * u2) / w
                v = (b0 * v0 + b1 * v1 + b2 * v2) / w
                tx = min(tex_w - 1, max(0, int(u * tex_w)))
                ty = min(tex_h - 1, max(0, int(v * tex_h)))
                ti = (ty * tex_w + tx) * 3
                for c in range(3):
                    value = tex[ti + c] * scale[c] + 255 * spec[c]
                    color[o + c] = 255 if value > 255 else int(value)
    return color


def downsample(pixels, width, height, factor):
    out_w, out_h = width // factor, height // factor
    out = bytearray(out_w * out_h * 3)
    n = factor * factor
    for y in range(out_h):
        for x in range(out_w):
            for c in range(3):
                total = 0
                for dy in range(factor):
                    row = ((y * factor + dy) * width + x * factor) * 3 + c
                    for dx in range(factor):
                        total += pixels[row + dx * 3]
                out[(y * out_w + x) * 3 + c] = total // n
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    scene = os.path.join(here, os.pardir, 'scene')
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--obj', default=os.path.join(scene, 'cottage.obj'))
    parser.add_argument('--texture', default=os.path.join(scene, 'cottage_diffuse.png'))
    parser.add_argument('--out', default='cottage_preview.png')
    parser.add_argument('--size', default='640x480')
    parser.add_argument('--lighting', choices=('scene', 'sun'), default='scene')
    parser.add_argument('--supersample', type=int, default=1)
    parser.add_argument('--backfaces', action='store_true')
    parser.add_argument('--views', default='35:20:13,-50:28:13,150:22:13,90:55:15',
                        help='comma-separated azimuth:elevation:distance (degrees, degrees, units) around the target')
    parser.add_argument('--target', default='0,0,0', help='the point the views look at and orbit')
    args = parser.parse_args()

    width, height = (int(v) for v in args.size.split('x'))
    model = read_obj(args.obj)
    texture = read_png(args.texture)
    lights, material = (SCENE_LIGHTS, SCENE_MATERIAL) if args.lighting == 'scene' else (SUN_LIGHTS, SUN_MATERIAL)
    views = [tuple(float(x) for x in v.split(':')) for v in args.views.split(',')]
    columns = 2 if len(views) > 1 else 1
    rows = (len(views) + columns - 1) // columns
    sheet = bytearray(width * columns * height * rows * 3)
    ss = max(1, args.supersample)
    target = tuple(float(c) for c in args.target.split(','))
    for k, (azimuth, elevation, distance) in enumerate(views):
        a = math.radians(azimuth)
        e = math.radians(elevation)
        eye = (target[0] + distance * math.cos(e) * math.sin(a), target[1] + distance * math.sin(e),
               target[2] + distance * math.cos(e) * math.cos(a))
        image = render(model, texture, eye, target, width * ss, height * ss, lights, material,
                       args.backfaces)
        if ss > 1:
            image = downsample(image, width * ss, height * ss, ss)
        ox = (k % columns) * width
        oy = (k // columns) * height
        for y in range(height):
            start = ((oy + y) * width * columns + ox) * 3
            sheet[start:start + width * 3] = image[y * width * 3:(y + 1) * width * 3]
    write_png(args.out, width * columns, height * rows, sheet)
    print('wrote %s (%d triangles)' % (args.out, len(model[3])))


if __name__ == '__main__':
    main()
