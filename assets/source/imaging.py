"""A tiny drawing kit: signed-distance shapes painted onto an RGBA canvas.

Every shape is a signed distance function (negative inside, in pixels). Coverage of a pixel is
taken from the distance at its centre, which gives a one-pixel antialiased edge that is exact for
straight edges and smooth for curves, without supersampling.
"""

import math


def clamp(value, low=0.0, high=1.0):
  return low if value < low else high if value > high else value


def mix(a, b, t):
  """Linear blend of two colours (tuples of floats) by t in 0..1."""
  return tuple(x + (y - x) * t for x, y in zip(a, b))


def smoothstep(edge0, edge1, x):
  t = clamp((x - edge0) / (edge1 - edge0))
  return t * t * (3 - 2 * t)


def coverage(distance):
  return clamp(0.5 - distance)


# ---- signed distance functions ---------------------------------------------------------------

def sd_circle(px, py, cx, cy, r):
  return math.hypot(px - cx, py - cy) - r


def sd_box(px, py, x0, y0, x1, y1, radius=0.0):
  """Rectangle from (x0, y0) to (x1, y1) with optionally rounded corners."""
  cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
  hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius
  qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
  outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
  return outside + min(max(qx, qy), 0.0) - radius


def segment_distance(px, py, ax, ay, bx, by):
  """Distance from a point to a segment, and the position 0..1 of the nearest point on it."""
  dx, dy = bx - ax, by - ay
  length2 = dx * dx + dy * dy
  t = 0.0 if length2 == 0 else clamp(((px - ax) * dx + (py - ay) * dy) / length2)
  return math.hypot(px - ax - dx * t, py - ay - dy * t), t


def sd_capsule(px, py, ax, ay, bx, by, r):
  return segment_distance(px, py, ax, ay, bx, by)[0] - r


def sd_polygon(px, py, points):
  """Signed distance to a simple polygon given as a list of (x, y)."""
  best = float("inf")
  inside = False
  n = len(points)
  for i in range(n):
    ax, ay = points[i]
    bx, by = points[i - 1]
    best = min(best, segment_distance(px, py, ax, ay, bx, by)[0])
    if (ay > py) != (by > py) and px < (bx - ax) * (py - ay) / (by - ay) + ax:
      inside = not inside
  return -best if inside else best


def smooth_union(a, b, k):
  """Union of two distances whose seam is rounded over about k pixels."""
  h = max(k - abs(a - b), 0.0) / k
  return min(a, b) - h * h * k / 4


# ---- curves ----------------------------------------------------------------------------------

def catmull_rom(points, steps_per_span=24):
  """A smooth curve through every point (centripetal-free uniform Catmull-Rom)."""
  padded = [points[0]] + list(points) + [points[-1]]
  curve = []
  for i in range(1, len(padded) - 2):
    p0, p1, p2, p3 = padded[i - 1], padded[i], padded[i + 1], padded[i + 2]
    for step in range(steps_per_span):
      t = step / steps_per_span
      t2, t3 = t * t, t * t * t
      curve.append(tuple(
          0.5 * (2 * p1[k] + (-p0[k] + p2[k]) * t + (2 * p0[k] - 5 * p1[k] + 4 * p2[k] - p3[k]) * t2
                 + (-p0[k] + 3 * p1[k] - 3 * p2[k] + p3[k]) * t3) for k in range(2)))
  curve.append(tuple(points[-1]))
  return curve


def arc_lengths(curve):
  lengths = [0.0]
  for (ax, ay), (bx, by) in zip(curve, curve[1:]):
    lengths.append(lengths[-1] + math.hypot(bx - ax, by - ay))
  return lengths


# ---- canvas ----------------------------------------------------------------------------------

class Canvas:
  """Straight (non-premultiplied) RGBA pixels, colour channels 0..255 as floats, alpha 0..1."""

  def __init__(self, width, height):
    self.width, self.height = width, height
    self.pixels = [(0.0, 0.0, 0.0, 0.0)] * (width * height)

  def get(self, x, y):
    return self.pixels[y * self.width + x]

  def blend(self, x, y, colour, alpha):
    """Composite one colour over the pixel at (x, y) with the given opacity."""
    if alpha <= 0:
      return
    index = y * self.width + x
    r, g, b, a = self.pixels[index]
    out = alpha + a * (1 - alpha)
    if out <= 0:
      return
    keep = a * (1 - alpha) / out
    self.pixels[index] = (colour[0] * (1 - keep) + r * keep, colour[1] * (1 - keep) + g * keep,
                          colour[2] * (1 - keep) + b * keep, out)

  def fill(self, distance, colour, bounds=None, opacity=1.0, hard=False):
    """Paint a shape: distance(px, py) is its signed distance; colour a tuple or a function of
    (px, py) returning a tuple. bounds (x0, y0, x1, y1) limits the pixels visited. hard paints
    whole pixels only (those at least half covered), for pictures with a small fixed palette."""
    x0, y0, x1, y1 = bounds or (0, 0, self.width, self.height)
    x0, y0 = max(0, int(math.floor(x0)) - 1), max(0, int(math.floor(y0)) - 1)
    x1, y1 = min(self.width, int(math.ceil(x1)) + 1), min(self.height, int(math.ceil(y1)) + 1)
    shade = colour if callable(colour) else (lambda px, py: colour)
    for y in range(y0, y1):
      py = y + 0.5
      for x in range(x0, x1):
        px = x + 0.5
        cover = coverage(distance(px, py))
        if hard:
          cover = 1.0 if cover >= 0.5 else 0.0
        cover *= opacity
        if cover > 0:
          self.blend(x, y, shade(px, py), cover)

  def rgba_bytes(self):
    out = bytearray()
    for r, g, b, a in self.pixels:
      out += bytes((round(r), round(g), round(b), round(a * 255)))
    return bytes(out)


def nearest(palette, colour):
  """Index of the palette entry closest to the colour (weighted RGB distance)."""
  best, best_index = float("inf"), 0
  for index, entry in enumerate(palette):
    if entry is None:
      continue
    dr, dg, db = colour[0] - entry[0], colour[1] - entry[1], colour[2] - entry[2]
    d = 2 * dr * dr + 4 * dg * dg + 3 * db * db
    if d < best:
      best, best_index = d, index
  return best_index


def median_cut(weighted_colours, count):
  """Reduce {colour: weight} to at most `count` representative colours."""
  boxes = [list(weighted_colours.items())]
  while len(boxes) < count:
    splittable = [b for b in boxes if len(b) > 1]
    if not splittable:
      break

    def spread(box):
      return max(max(c[k] for c, _ in box) - min(c[k] for c, _ in box) for k in range(3)) * \
          math.sqrt(sum(w for _, w in box))

    box = max(splittable, key=spread)
    boxes.remove(box)
    channel = max(range(3), key=lambda k: max(c[k] for c, _ in box) - min(c[k] for c, _ in box))
    box.sort(key=lambda item: item[0][channel])
    total, running, cut = sum(w for _, w in box), 0, 1
    for i, (_, w) in enumerate(box):
      running += w
      if running >= total / 2:
        cut = max(1, min(len(box) - 1, i + 1))
        break
    boxes += [box[:cut], box[cut:]]
  result = []
  for box in boxes:
    total = sum(w for _, w in box)
    result.append(tuple(round(sum(c[k] * w for c, w in box) / total) for k in range(3)))
  return result
