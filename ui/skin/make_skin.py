#!/usr/bin/env python3
"""Draws the skin's pictures (PNG) with the standard library only.

Run from any folder: python3 ui/skin/make_skin.py. The pictures are written
next to this script and committed; the build only compiles them in.
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# The skin's colours.
BAND = (217, 219, 230)
NAVY = (38, 56, 120)
ACCENT = (64, 104, 196)
ACCENT_LIGHT = (120, 160, 232)
ORANGE = (240, 140, 40)


def write_png(name, width, height, pixels):
    """pixels: list of rows of (r, g, b, a) tuples, 0-255."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((clamp(r), clamp(g), clamp(b), clamp(a)))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(png)


def clamp(v):
    return max(0, min(255, int(round(v))))


class Canvas:
    """A small RGBA canvas with anti-aliased shapes (4 x 4 supersampling)."""

    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.w, self.h = width, height
        self.px = [[list(fill) for _ in range(width)] for _ in range(height)]

    def blend(self, x, y, colour, coverage):
        if coverage <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        r, g, b = colour[:3]
        a = (colour[3] if len(colour) > 3 else 255) / 255.0 * coverage
        dst = self.px[y][x]
        da = dst[3] / 255.0
        out_a = a + da * (1 - a)
        if out_a <= 0:
            return
        for i, c in enumerate((r, g, b)):
            dst[i] = (c * a + dst[i] * da * (1 - a)) / out_a
        dst[3] = out_a * 255

    def shape(self, inside, colour, box=None, samples=4):
        """inside(x, y) -> bool for a point; colour a tuple or f(x, y)."""
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        step = 1.0 / samples
        for y in range(max(0, int(y0)), min(self.h, int(math.ceil(y1)))):
            for x in range(max(0, int(x0)), min(self.w, int(math.ceil(x1)))):
                hits = 0
                for sy in range(samples):
                    for sx in range(samples):
                        if inside(x + (sx + 0.5) * step, y + (sy + 0.5) * step):
                            hits += 1
                if hits:
                    c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                    self.blend(x, y, c, hits / float(samples * samples))

    def circle(self, cx, cy, r, colour):
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour,
                   (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1))

    def ring(self, cx, cy, r_out, r_in, colour):
        self.shape(lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out,
                   colour, (cx - r_out - 1, cy - r_out - 1, cx + r_out + 1, cy + r_out + 1))

    def rect(self, x0, y0, x1, y1, colour, radius=0.0):
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            if radius <= 0:
                return True
            cx = min(max(x, x0 + radius), x1 - radius)
            cy = min(max(y, y0 + radius), y1 - radius)
            return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
        self.shape(inside, colour, (x0 - 1, y0 - 1, x1 + 1, y1 + 1))

    def polygon(self, points, colour):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            odd = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    odd = not odd
                j = i
            return odd
        self.shape(inside, colour, (min(xs) - 1, min(ys) - 1, max(xs) + 1, max(ys) + 1))

    def line(self, x0, y0, x1, y1, width, colour):
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny),
                      (x0 - nx, y0 - ny)], colour)

    def save(self, name):
        write_png(name, self.w, self.h, [[tuple(p) for p in row] for row in self.px])


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def background():
    """Behind the notebook: a cool light gradient with soft light bands and a
    faint film strip running into a phone at the lower left."""
    w, h = 431, 234
    c = Canvas(w, h)
    top, bottom = (246, 247, 252), (200, 208, 232)
    for y in range(h):
        for x in range(w):
            t = y / (h - 1)
            base = mix(top, bottom, t * t * 0.9 + 0.1 * x / w)
            # two broad diagonal light bands
            d1 = math.sin((x * 0.6 + y) / 95.0) * 0.5 + 0.5
            light = 10 * d1 * (1 - t)
            c.px[y][x] = [base[0] + light, base[1] + light, base[2] + light * 0.6, 255]
    # a wave of the accent colour along the bottom
    c.shape(lambda x, y: y > 196 + 10 * math.sin(x / 60.0) + x * 0.02,
            lambda x, y: (*mix(ACCENT_LIGHT, ACCENT, x / w), 70), (0, 180, w, h))
    c.shape(lambda x, y: y > 210 + 8 * math.sin(x / 45.0 + 1.2),
            lambda x, y: (*mix(ACCENT, NAVY, x / w), 90), (0, 190, w, h))
    # film strip
    strip = (60, 70, 110, 60)
    c.rect(8, 176, 150, 192, strip, 2)
    for i in range(10):
        c.rect(12 + i * 14, 178, 20 + i * 14, 181, (255, 255, 255, 110), 0.8)
        c.rect(12 + i * 14, 187, 20 + i * 14, 190, (255, 255, 255, 110), 0.8)
    # phone
    c.rect(156, 168, 178, 202, (50, 62, 110, 90), 4)
    c.rect(159, 173, 175, 190, (255, 255, 255, 120), 1)
    c.polygon([(164, 177), (164, 187), (172, 182)], (*ORANGE, 170))
    return c


def radio(checked, enabled, hover=False):
    c = Canvas(13, 13)
    edge = ACCENT if enabled else (160, 164, 180)
    if hover and enabled:
        edge = mix(ACCENT, NAVY, 0.5)
    c.circle(6.5, 6.5, 6.2, (*edge, 255))
    c.circle(6.5, 6.5, 5.1, lambda x, y: (*mix((255, 255, 255), (222, 228, 244), y / 13.0), 255))
    if checked:
        dot = NAVY if enabled else (150, 154, 170)
        c.circle(6.5, 6.5, 2.9, lambda x, y: (*mix(ACCENT_LIGHT, dot, y / 9.0), 255))
    return c


def check(checked, enabled):
    c = Canvas(13, 13)
    edge = ACCENT if enabled else (160, 164, 180)
    c.rect(0.3, 0.3, 12.7, 12.7, (*edge, 255), 2.2)
    c.rect(1.4, 1.4, 11.6, 11.6,
           lambda x, y: (*mix((255, 255, 255), (222, 228, 244), y / 13.0), 255), 1.4)
    if checked:
        tick = NAVY if enabled else (150, 154, 170)
        c.line(3.2, 6.8, 5.6, 9.3, 1.9, (*tick, 255))
        c.line(5.2, 9.3, 9.9, 3.6, 1.9, (*tick, 255))
    return c


def arrow(up, enabled):
    c = Canvas(9, 5)
    colour = (*NAVY, 255) if enabled else (160, 164, 180, 255)
    if up:
        c.polygon([(0.5, 4.6), (8.5, 4.6), (4.5, 0.4)], colour)
    else:
        c.polygon([(0.5, 0.4), (8.5, 0.4), (4.5, 4.6)], colour)
    return c


def icon_open():
    c = Canvas(16, 16)
    c.rect(1, 3, 7, 6, (214, 160, 40, 255), 1)
    c.rect(1, 4.5, 14, 13.5, (230, 180, 60, 255), 1)
    c.polygon([(3, 7.5), (15.5, 7.5), (13.5, 13.5), (1, 13.5)], (250, 214, 110, 255))
    return c


def icon_home():
    c = Canvas(16, 16)
    c.polygon([(8, 1.5), (15, 8), (12.8, 8), (12.8, 14.5), (3.2, 14.5), (3.2, 8), (1, 8)],
              (*ACCENT, 255))
    c.polygon([(8, 3.2), (11.6, 6.6), (11.6, 13.4), (4.4, 13.4), (4.4, 6.6)], (236, 242, 255, 255))
    c.rect(6.6, 9, 9.4, 13.4, (*ORANGE, 255))
    return c


def icon_about():
    c = Canvas(16, 16)
    c.circle(8, 8, 7.2, lambda x, y: (*mix(ACCENT_LIGHT, ACCENT, y / 16.0), 255))
    c.circle(8, 4.6, 1.3, (255, 255, 255, 255))
    c.rect(6.9, 6.8, 9.1, 12.4, (255, 255, 255, 255), 0.6)
    return c


def icon_exit():
    c = Canvas(16, 16)
    c.rect(2, 1.5, 10, 14.5, (150, 110, 80, 255), 1)
    c.rect(3.2, 2.7, 8.8, 13.3, (196, 150, 110, 255), 0.5)
    c.circle(7.6, 8.2, 0.8, (250, 220, 120, 255))
    c.polygon([(9, 6.6), (12, 6.6), (12, 4.6), (15.4, 8), (12, 11.4), (12, 9.4), (9, 9.4)],
              (210, 50, 40, 255))
    return c


def app_icon(size):
    c = Canvas(size, size)
    s = size / 48.0
    c.rect(12 * s, 2 * s, 36 * s, 46 * s, lambda x, y: (*mix((70, 84, 140), NAVY, y / size), 255),
           6 * s)
    c.rect(15 * s, 8 * s, 33 * s, 32 * s,
           lambda x, y: (*mix((200, 220, 255), ACCENT_LIGHT, y / size), 255), 1.5 * s)
    c.polygon([(20 * s, 13 * s), (20 * s, 27 * s), (30 * s, 20 * s)], (*ORANGE, 255))
    c.circle(24 * s, 39 * s, 3.2 * s, (190, 200, 230, 255))
    return c


def main():
    background().save("background.png")
    for checked in (False, True):
        state = "on" if checked else "off"
        radio(checked, True).save("radio-%s.png" % state)
        radio(checked, True, hover=True).save("radio-%s-hover.png" % state)
        radio(checked, False).save("radio-%s-disabled.png" % state)
        check(checked, True).save("check-%s.png" % state)
        check(checked, False).save("check-%s-disabled.png" % state)
    arrow(True, True).save("arrow-up.png")
    arrow(False, True).save("arrow-down.png")
    arrow(True, False).save("arrow-up-disabled.png")
    arrow(False, False).save("arrow-down-disabled.png")
    icon_open().save("icon-open.png")
    icon_home().save("icon-home.png")
    icon_about().save("icon-about.png")
    icon_exit().save("icon-exit.png")
    app_icon(48).save("app-icon.png")


if __name__ == "__main__":
    main()
