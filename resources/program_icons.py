"""The pictograms of Brightwarden's commands and its window-pick cursor.

Each picture is a list of shapes painted in order on a 32 x 32 grid; the
same list is rasterised at 16 and at 32 pixels with 4 x 4 samples per pixel,
so the small icon is the large one drawn again, not a shrunken copy.
"""
import math

# Colours.
INK = (32, 32, 40)
WHITE = (255, 255, 255)
PAPER = (250, 250, 244)
GREY = (150, 150, 158)
DARK = (90, 90, 100)
BLUE = (30, 100, 215)
NAVY = (20, 50, 130)
RED = (210, 40, 40)
GREEN = (30, 150, 60)
YELLOW = (245, 200, 40)
ORANGE = (235, 130, 30)
BROWN = (150, 95, 45)
PURPLE = (130, 60, 170)
CYAN = (30, 170, 200)


class Shape:
    def __init__(self, box, inside, color, alpha=255):
        self.box = box          # x0, y0, x1, y1 (a bound, not the shape)
        self.inside = inside    # (x, y) -> bool
        self.color = color
        self.alpha = alpha


def rect(x0, y0, x1, y1, color):
    return Shape((x0, y0, x1, y1), lambda x, y: x0 <= x < x1 and y0 <= y < y1, color)


def frame(x0, y0, x1, y1, w, color):
    return Shape((x0, y0, x1, y1), lambda x, y: (x0 <= x < x1 and y0 <= y < y1) and
                 not (x0 + w <= x < x1 - w and y0 + w <= y < y1 - w), color)


def boxed(x0, y0, x1, y1, fill, edge=INK, w=1.5):
    """A filled rectangle with an outline."""
    return [rect(x0, y0, x1, y1, fill), frame(x0, y0, x1, y1, w, edge)]


def disc(cx, cy, r, color):
    return Shape((cx - r, cy - r, cx + r, cy + r),
                 lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, color)


def ring(cx, cy, r, w, color):
    inner = r - w
    return Shape((cx - r, cy - r, cx + r, cy + r),
                 lambda x, y: inner * inner < (x - cx) ** 2 + (y - cy) ** 2 <= r * r, color)


def _angle_in(a, a0, a1):
    """Whether angle a (degrees) lies on the counter-clockwise sweep a0 -> a1."""
    return (a - a0) % 360 <= (a1 - a0) % 360


def arc(cx, cy, r, w, a0, a1, color):
    """A ring segment; angles in degrees, 0 to the right, counted upwards."""
    inner = r - w

    def inside(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        if not inner * inner < d <= r * r:
            return False
        return _angle_in(math.degrees(math.atan2(cy - y, x - cx)), a0, a1)
    return Shape((cx - r, cy - r, cx + r, cy + r), inside, color)


def line(x0, y0, x1, y1, w, color):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1e-9
    h = w / 2

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx - x, y0 + t * dy - y
        return px * px + py * py <= h * h
    return Shape((min(x0, x1) - h, min(y0, y1) - h, max(x0, x1) + h, max(y0, y1) + h), inside,
                 color)


def polyline(points, w, color):
    return [line(*points[i], *points[i + 1], w, color) for i in range(len(points) - 1)]


def poly(points, color):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]

    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return Shape((min(xs), min(ys), max(xs), max(ys)), inside, color)


def outlined_poly(points, fill, edge=INK, w=1.5):
    return [poly(points, fill)] + polyline(points + [points[0]], w, edge)


def dashed_frame(x0, y0, x1, y1, w, dash, colors):
    """A marquee: the frame's pixels alternate between two colours along it."""
    def color_at(x, y):
        return colors[int((x + y) // dash) % 2]

    shapes = []
    inner = (x0 + w, y0 + w, x1 - w, y1 - w)
    for k, c in enumerate(colors):
        def inside(x, y, k=k):
            on = (x0 <= x < x1 and y0 <= y < y1) and not (
                inner[0] <= x < inner[2] and inner[1] <= y < inner[3])
            return on and int((x + y) // dash) % 2 == k
        shapes.append(Shape((x0, y0, x1, y1), inside, c))
    return shapes


def arrow_head(tipx, tipy, dx, dy, size, color):
    """A filled triangle pointing along (dx, dy) with its tip at (tipx, tipy)."""
    n = math.hypot(dx, dy)
    ux, uy = dx / n, dy / n
    bx, by = tipx - ux * size, tipy - uy * size
    px, py = -uy * size * 0.6, ux * size * 0.6
    return poly([(tipx, tipy), (bx + px, by + py), (bx - px, by - py)], color)


def curved_arrow(clockwise, color):
    """A half turn over the top with its head pointing down at the end."""
    shapes = [arc(16, 18, 11, 4, 0, 180, color)]
    if clockwise:
        shapes.append(arrow_head(25, 27, 0, 1, 8, color))
    else:
        shapes.append(arrow_head(7, 27, 0, 1, 8, color))
    return shapes


def page(x0=7, y0=3, x1=25, y1=29, fill=PAPER):
    """A sheet of paper with a folded corner."""
    fold = 6
    pts = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    return outlined_poly(pts, fill) + [poly([(x1 - fold, y0), (x1 - fold, y0 + fold),
                                             (x1, y0 + fold)], (210, 210, 205))]


def text_lines(x0, x1, ys, color=GREY, w=1.6):
    return [line(x0, y, x1, y, w, color) for y in ys]


def pencil(x0, y0, x1, y1, body=YELLOW):
    """A pencil from its tip (x0, y0) to its end (x1, y1)."""
    n = math.hypot(x1 - x0, y1 - y0)
    ux, uy = (x1 - x0) / n, (y1 - y0) / n
    tx, ty = x0 + ux * 5, y0 + uy * 5
    px, py = -uy * 2.6, ux * 2.6
    return [
        poly([(x0, y0), (tx + px, ty + py), (tx - px, ty - py)], (235, 200, 150)),
        poly([(x0, y0), (x0 + ux * 2 + px * 0.4, y0 + uy * 2 + py * 0.4),
              (x0 + ux * 2 - px * 0.4, y0 + uy * 2 - py * 0.4)], INK),
        poly([(tx + px, ty + py), (x1 + px, y1 + py), (x1 - px, y1 - py), (tx - px, ty - py)],
             body),
        line(tx, ty, x1, y1, 0.8, (200, 150, 20)),
        poly([(x1 + px, y1 + py), (x1 + ux * 3 + px, y1 + uy * 3 + py),
              (x1 + ux * 3 - px, y1 + uy * 3 - py), (x1 - px, y1 - py)], (230, 120, 140)),
    ]


def camera(dx=0, dy=0, body=DARK):
    return (boxed(3 + dx, 10 + dy, 29 + dx, 26 + dy, body) +
            [rect(9 + dx, 6 + dy, 17 + dx, 10 + dy, body),
             disc(16 + dx, 18 + dy, 6, INK), disc(16 + dx, 18 + dy, 4.2, CYAN),
             disc(14.5 + dx, 16.5 + dy, 1.3, WHITE), rect(23 + dx, 12 + dy, 27 + dx, 14 + dy, YELLOW)])


def star(cx, cy, r, color):
    pts = []
    for k in range(10):
        rr = r if k % 2 == 0 else r * 0.45
        a = math.radians(90 + k * 36)
        pts.append((cx + rr * math.cos(a), cy - rr * math.sin(a)))
    return [poly(pts, color)] + polyline(pts + [pts[0]], 1.0, INK)


def picture(x0, y0, x1, y1):
    """A small landscape: sky, sun and a hill."""
    return boxed(x0, y0, x1, y1, (170, 215, 250)) + [
        disc(x0 + (x1 - x0) * 0.72, y0 + (y1 - y0) * 0.32, (y1 - y0) * 0.14, YELLOW),
        poly([(x0 + 1.5, y1 - 1.5), (x0 + (x1 - x0) * 0.4, y0 + (y1 - y0) * 0.45),
              (x1 - 1.5, y1 - 1.5)], GREEN)]


def floppy(body=BLUE):
    return (boxed(4, 4, 28, 28, body) + [rect(9, 5.5, 23, 13, (220, 220, 225)),
                                         rect(18, 7, 21, 12, DARK),
                                         rect(8, 17, 24, 26.5, PAPER)] +
            text_lines(10, 22, [20, 23.5], GREY, 1.2))


def printer():
    return (boxed(9, 3, 23, 12, PAPER) + boxed(3, 11, 29, 23, (200, 200, 205)) +
            boxed(8, 19, 24, 29, PAPER) + text_lines(11, 21, [23, 26], GREY, 1.2) +
            [disc(25, 15, 1.4, GREEN)])


def scanner(light=True):
    shapes = boxed(2, 15, 30, 26, (200, 200, 205)) + boxed(2, 11, 30, 16, (120, 120, 130))
    if light:
        shapes += [rect(4, 19, 28, 21, (120, 230, 255))]
    return shapes


def gear(cx, cy, color):
    shapes = []
    for k in range(8):
        a = math.radians(k * 45)
        shapes.append(line(cx + 7 * math.cos(a), cy + 7 * math.sin(a),
                           cx + 12.5 * math.cos(a), cy + 12.5 * math.sin(a), 4.5, color))
    return shapes + [disc(cx, cy, 9.5, color), disc(cx, cy, 4, WHITE), ring(cx, cy, 4, 1, INK)]


def checker(x0, y0, x1, y1, cell, a, b):
    return [rect(x0, y0, x1, y1, a),
            Shape((x0, y0, x1, y1),
                  lambda x, y: int((x - x0) // cell + (y - y0) // cell) % 2 == 1, b)]


def soft_disc(cx, cy, r, color):
    """A disc whose edge fades out: many thin rings of falling alpha."""
    shapes = []
    steps = 8
    for k in range(steps, 0, -1):
        rr = r * k / steps
        s = disc(cx, cy, rr, color)
        s.alpha = int(255 * (1 - (k - 1) / steps) ** 0.8)
        shapes.append(s)
    return shapes


def letter_a(x0, y0, x1, y1, w, color):
    mx = (x0 + x1) / 2
    return [line(x0, y1, mx, y0, w, color), line(mx, y0, x1, y1, w, color),
            line(x0 + (mx - x0) * 0.45, y0 + (y1 - y0) * 0.62,
                 x1 - (x1 - mx) * 0.45, y0 + (y1 - y0) * 0.62, w * 0.8, color)]


def letter_w(x0, y0, x1, y1, w, color):
    q = (x1 - x0) / 4
    return polyline([(x0, y0), (x0 + q, y1), (x0 + 2 * q, y0 + (y1 - y0) * 0.35),
                     (x0 + 3 * q, y1), (x1, y0)], w, color)


def envelope():
    return boxed(3, 8, 29, 25, PAPER) + polyline([(3.5, 8.5), (16, 18), (28.5, 8.5)], 1.5, INK)


def right_arrow(x0, y, x1, w, color, head=7):
    return [line(x0, y, x1 - head + 1, y, w, color), arrow_head(x1, y, 1, 0, head, color)]


def clipboard(sheet_lines=True):
    shapes = boxed(5, 5, 27, 30, BROWN) + boxed(8, 8, 24, 28, PAPER) + boxed(11, 2, 21, 8, GREY)
    if sheet_lines:
        shapes += text_lines(10.5, 21.5, [13, 16.5, 20, 23.5])
    return shapes


def icon_shapes():
    """Resource id -> list of shapes."""
    zoom_lens = [line(19, 19, 28, 28, 5, DARK), disc(13, 13, 10, INK), disc(13, 13, 7.5, (215, 235, 255))]
    return {
        100: [disc(16, 16, 14, NAVY), disc(16, 16, 12.5, BLUE), disc(16, 9, 2.2, WHITE),
              rect(14, 13, 18, 25, WHITE), rect(12, 23, 20, 25, WHITE)],
        101: dashed_frame(3, 3, 29, 29, 1.5, 3, (INK, WHITE)) + [rect(9, 9, 23, 23, (170, 215, 250))] +
             star(23, 9, 6, YELLOW),
        103: clipboard() + [rect(17, 18, 26, 29, WHITE), frame(17, 18, 26, 29, 1, INK),
                            line(19, 21.5, 24, 21.5, 1.5, BLUE), line(21.5, 21.5, 21.5, 27, 1.5, BLUE)],
        105: outlined_poly([(4, 6), (16, 9), (28, 6), (28, 27), (16, 30), (4, 27)], PAPER) +
             [line(16, 9, 16, 30, 1.5, INK)] + text_lines(7, 13.5, [13, 17, 21], GREY, 1.2) +
             [rect(18.5, 11, 25.5, 24, RED)],
        107: page(3, 3, 20, 23) + page(12, 9, 29, 29),
        108: [rect(8, 2, 12, 24, INK), rect(8, 20, 30, 24, INK), rect(2, 8, 24, 12, DARK),
              rect(20, 8, 24, 30, DARK), rect(12, 12, 20, 20, (170, 215, 250))],
        109: checker(4, 4, 28, 28, 3, (240, 240, 240), INK) + [frame(4, 4, 28, 28, 1.5, INK)],
        110: [line(6, 26, 24, 8, 3, RED), arrow_head(27, 5, 1, -1, 10, RED)],
        111: [frame(4, 7, 28, 25, 3, RED)],
        112: pencil(4, 28, 26, 6),
        113: outlined_poly([(6, 14), (16, 4), (27, 15), (17, 25)], (200, 200, 205)) +
             [poly([(6, 14), (17, 25), (27, 15), (21.5, 14)], BLUE), disc(26, 26, 3.5, BLUE),
              arc(13, 8, 5, 1.5, 60, 200, INK)],
        114: [rect(2, 4, 30, 28, (70, 70, 80))] + boxed(9, 10, 23, 22, YELLOW, WHITE, 1.5),
        116: [line(5, 26, 27, 6, 3, BLUE), disc(5, 26, 2.5, INK), disc(27, 6, 2.5, INK)],
        117: dashed_frame(4, 7, 28, 25, 1.8, 3.5, (INK, WHITE)),
        118: boxed(12, 3, 20, 14, BROWN) + boxed(8, 13, 24, 19, DARK) + boxed(4, 19, 28, 24, RED) +
             [rect(6, 27, 26, 29.5, RED)],
        119: letter_a(6, 4, 26, 28, 4, INK),
        120: picture(3, 9, 21, 25) + pencil(14, 24, 29, 4, ORANGE),
        121: camera(0, 2) + pencil(17, 30, 30, 15),
        123: [poly([(3, 16), (14, 7), (14, 25)], BLUE), poly([(29, 16), (18, 7), (18, 25)], (150, 190, 240)),
              line(16, 2, 16, 30, 1.5, INK)],
        124: [poly([(16, 3), (7, 14), (25, 14)], BLUE), poly([(16, 29), (7, 18), (25, 18)], (150, 190, 240)),
              line(2, 16, 30, 16, 1.5, INK)],
        126: [disc(16, 16, 13, INK), Shape((3, 3, 29, 29), lambda x, y: x >= 16 and (x - 16) ** 2 + (y - 16) ** 2 <= 11.5 ** 2, WHITE),
              Shape((3, 3, 29, 29), lambda x, y: x < 16 and (x - 16) ** 2 + (y - 16) ** 2 <= 6 ** 2, WHITE),
              Shape((3, 3, 29, 29), lambda x, y: x >= 16 and (x - 16) ** 2 + (y - 16) ** 2 <= 6 ** 2, INK)],
        128: [rect(3, 3, 11, 6, INK), rect(3, 3, 6, 11, INK), rect(21, 3, 29, 6, INK), rect(26, 3, 29, 11, INK),
              rect(3, 26, 11, 29, INK), rect(3, 21, 6, 29, INK), rect(21, 26, 29, 29, INK), rect(26, 21, 29, 29, INK),
              line(16, 9, 16, 23, 2, RED), line(9, 16, 23, 16, 2, RED)],
        129: camera(0, 2) + star(24, 8, 7, YELLOW),
        130: outlined_poly([(3, 8), (11, 8), (13, 11), (25, 11), (25, 27), (3, 27)], (220, 170, 50)) +
             outlined_poly([(8, 15), (30, 15), (25, 27), (3, 27)], YELLOW),
        131: gear(16, 16, DARK),
        132: boxed(9, 3, 29, 12, (200, 220, 250)) + boxed(6, 11, 26, 20, (160, 195, 245)) +
             boxed(3, 19, 23, 28, BLUE) + [disc(8, 23.5, 2, WHITE)],
        133: boxed(3, 3, 16, 16, RED) + boxed(16, 3, 29, 16, GREEN) + boxed(3, 16, 16, 29, BLUE) +
             boxed(16, 16, 29, 29, YELLOW),
        134: clipboard(False) + page(12, 12, 29, 30),
        135: boxed(3, 14, 29, 27, (200, 200, 205)) + boxed(2, 10, 30, 15, (120, 120, 130)) +
             boxed(8, 2, 24, 11, PAPER) + [rect(6, 20, 26, 22, (120, 230, 255)), disc(25, 24.5, 1.4, GREEN)],
        136: printer(),
        137: camera(0, 0),
        139: curved_arrow(True, GREEN),
        140: boxed(2, 4, 13, 15, RED) + boxed(19, 17, 30, 28, BLUE) +
             [line(9, 23, 15, 23, 2.5, INK), arrow_head(19, 23, 1, 0, 6, INK),
              line(23, 9, 23, 13, 2.5, INK), arrow_head(23, 17, 0, 1, 6, INK)],
        141: [frame(3, 3, 29, 29, 1.5, GREY)] + boxed(3, 15, 17, 29, (170, 215, 250)) +
             [line(12, 20, 22, 10, 2.5, INK), arrow_head(26, 6, 1, -1, 8, INK)],
        142: [arc(16, 16, 12, 3.5, 100, 20, PURPLE), arrow_head(30, 16, 0.3, 1, 8, PURPLE), disc(16, 16, 3, INK)],
        143: picture(4, 12, 20, 28) + [arc(17, 17, 12, 3, 20, 120, GREEN), arrow_head(28.5, 16, 0, 1, 7, GREEN)],
        144: picture(12, 12, 28, 28) + [arc(15, 17, 12, 3, 60, 160, GREEN), arrow_head(3.5, 16, 0, 1, 7, GREEN)],
        145: page(3, 2, 22, 28) + text_lines(6, 17, [10, 14, 18], GREY, 1.2) +
             outlined_poly([(16, 14), (30, 22), (16, 30)], GREEN),
        146: floppy(),
        147: floppy(NAVY) + pencil(16, 30, 30, 16),
        148: scanner() + [poly([(8, 11), (12, 3), (26, 3), (24, 11)], PAPER)] +
             polyline([(8, 11), (12, 3), (26, 3), (24, 11)], 1.2, INK),
        149: [rect(3, 3, 29, 29, (170, 215, 250))] + dashed_frame(2, 2, 30, 30, 1.8, 3.5, (INK, WHITE)) +
             letter_a(10, 9, 22, 23, 2.5, NAVY),
        150: envelope() + right_arrow(14, 26, 31, 3, GREEN, 7),
        151: page(4, 2, 26, 30) + letter_w(7, 11, 23, 24, 2.6, BLUE),
        152: curved_arrow(False, (200, 120, 20)),
        153: zoom_lens + [line(8.5, 13, 17.5, 13, 2.2, INK), line(13, 8.5, 13, 17.5, 2.2, INK)],
        156: [disc(12, 12, 8.5, (235, 60, 60)), disc(20, 12, 8.5, (60, 190, 80)), disc(16, 19, 8.5, (60, 100, 235))] +
             [Shape((0, 0, 32, 32), lambda x, y: (x - 12) ** 2 + (y - 12) ** 2 <= 72 and (x - 20) ** 2 + (y - 12) ** 2 <= 72
                    and (x - 16) ** 2 + (y - 19) ** 2 <= 72, WHITE)],
        157: outlined_poly([(16, 2), (20, 12), (30, 16), (20, 20), (16, 30), (12, 20), (2, 16), (12, 12)], CYAN),
        158: soft_disc(16, 16, 14, (120, 150, 230)),
    }


def window_pick_cursor():
    """A crosshair with a small window beside it; hot spot at the cross."""
    return [
        line(10, 0, 10, 21, 3.2, WHITE), line(0, 10, 21, 10, 3.2, WHITE),
        line(10, 1, 10, 20, 1.2, INK), line(1, 10, 20, 10, 1.2, INK),
        rect(15, 17, 31, 31, WHITE), rect(16, 18, 30, 30, INK), rect(17, 19, 29, 22, BLUE),
        rect(17, 23, 29, 29, WHITE),
    ]


CURSOR_HOTSPOT = (10, 10)


def render(shapes, size, samples=4):
    """(x, y) -> (r, g, b, a) for a picture at `size` pixels."""
    scale = 32.0 / size
    offsets = [(i + 0.5) / samples for i in range(samples)]
    pixels = {}
    for py in range(size):
        for px in range(size):
            r = g = b = a = 0.0
            x0, y0 = px * scale, py * scale
            x1, y1 = x0 + scale, y0 + scale
            near = [s for s in shapes if s.box[0] <= x1 and s.box[2] >= x0 and
                    s.box[1] <= y1 and s.box[3] >= y0]
            if near:
                for oy in offsets:
                    for ox in offsets:
                        x, y = x0 + ox * scale, y0 + oy * scale
                        sr = sg = sb = sa = 0.0
                        for s in near:
                            if s.inside(x, y):
                                k = s.alpha / 255.0
                                sr = sr * (1 - k) + s.color[0] * k
                                sg = sg * (1 - k) + s.color[1] * k
                                sb = sb * (1 - k) + s.color[2] * k
                                sa = sa * (1 - k) + k
                        r += sr
                        g += sg
                        b += sb
                        a += sa
            n = samples * samples
            if a > 0:
                pixels[px, py] = (round(r / a), round(g / a), round(b / a), round(255 * a / n))
            else:
                pixels[px, py] = (0, 0, 0, 0)
    return lambda x, y: pixels[x, y]
