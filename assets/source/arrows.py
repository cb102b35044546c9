"""The main window's background: two thick red marker arrows on a transparent ground.

The picture is drawn unscaled behind the window's controls at 15 twips per pixel. The first arrow
starts behind the two preset lists and points at the "Preset Now" button; the second runs down
the left edge beside the colour slider, turns along the bottom and points at "Change Colour".
Both keep to the gaps between controls so they read as a hint of what to press.
"""

import math

from imaging import arc_lengths, catmull_rom, clamp, coverage, median_cut, mix, nearest, \
    sd_polygon, segment_distance, smooth_union

WIDTH, HEIGHT = 529, 407
TRANSPARENT_INDEX = 9
BACKGROUND = (255.0, 255.0, 255.0)  # the window colour the edges are softened against
FAR = 1e9

INK = (206.0, 22.0, 30.0)  # the marker's red where it lies flat
HIGHLIGHT = (255.0, 226.0, 214.0)
LIGHT = (-0.42, -0.62, 0.66)  # from the upper left, towards the viewer

# Centre lines in pixels. Each is a gentle freehand path; the heads sit at their ends.
TOP_PATH = [(19, 14), (23, 31), (40, 42), (72, 43), (112, 42), (155, 40), (205, 38), (250, 37),
            (287, 37)]
TOP_TIP = (313, 37)
SIDE_PATH = [(25, 99), (21, 140), (25, 195), (21, 252), (24, 312), (27, 352), (37, 374),
             (66, 381), (128, 379), (196, 373), (254, 367), (289, 364)]
SIDE_TIP = (315, 364)


class DistanceField:
  """Signed distance to the arrows, kept per pixel (FAR where nothing is near)."""

  def __init__(self):
    self.values = [FAR] * (WIDTH * HEIGHT)

  def get(self, x, y):
    if 0 <= x < WIDTH and 0 <= y < HEIGHT:
      return self.values[y * WIDTH + x]
    return FAR

  def merge(self, x, y, distance, smooth=0.0):
    if not (0 <= x < WIDTH and 0 <= y < HEIGHT):
      return
    index = y * WIDTH + x
    old = self.values[index]
    if smooth and old < FAR:
      self.values[index] = smooth_union(old, distance, smooth)
    elif distance < old:
      self.values[index] = distance


def _wavy(s, phase, *terms):
  """A smooth, irregular-looking function of arc length: a sum of a few slow sines."""
  return sum(amplitude * math.sin(s / period + phase * (i + 1.7))
             for i, (amplitude, period) in enumerate(terms))


def stroke_segments(path, radius, phase):
  """The stroke as short tapered pieces: a freehand centre line that wanders a little sideways
  and a width that swells and thins like a marker pressed unevenly."""
  curve = catmull_rom(path, 30)
  lengths = arc_lengths(curve)
  points = []
  for i, (x, y) in enumerate(curve):
    a = curve[max(i - 1, 0)]
    b = curve[min(i + 1, len(curve) - 1)]
    dx, dy = b[0] - a[0], b[1] - a[1]
    norm = math.hypot(dx, dy) or 1.0
    s = lengths[i]
    shift = _wavy(s, phase, (1.1, 41.0), (0.45, 13.0))
    width = radius * (1 + _wavy(s, phase + 1, (0.07, 27.0), (0.035, 9.0)))
    width *= 1 + 0.14 * math.exp(-s / 9.0)  # the marker lands a little heavier
    points.append((x - dy / norm * shift, y + dx / norm * shift, width))
  return list(zip(points, points[1:]))


def draw_stroke(field, path, radius, phase):
  for (ax, ay, ar), (bx, by, br) in stroke_segments(path, radius, phase):
    reach = max(ar, br) + 3
    for y in range(int(min(ay, by) - reach), int(max(ay, by) + reach) + 1):
      for x in range(int(min(ax, bx) - reach), int(max(ax, bx) + reach) + 1):
        d, t = segment_distance(x + 0.5, y + 0.5, ax, ay, bx, by)
        field.merge(x, y, d - (ar + (br - ar) * t))


def head_outline(base, tip, half_width, skew):
  """A slightly lopsided triangular head with gently bowed sides, as a polygon."""
  bx, by = base
  tx, ty = tip
  length = math.hypot(tx - bx, ty - by)
  ux, uy = (tx - bx) / length, (ty - by) / length
  nx, ny = -uy, ux
  corners = [(bx + nx * half_width * (1 + skew), by + ny * half_width * (1 + skew)), (tx, ty),
             (bx - nx * half_width * (1 - skew), by - ny * half_width * (1 - skew))]
  bows = [2.2, 1.6, -1.2]  # outward bulge of each side, in pixels
  outline = []
  for i, (ax, ay) in enumerate(corners):
    cx, cy = corners[(i + 1) % 3]
    sx, sy = cx - ax, cy - ay
    side = math.hypot(sx, sy)
    ox, oy = sy / side, -sx / side  # outward for this winding
    for step in range(12):
      t = step / 12
      bulge = bows[i] * 4 * t * (1 - t)
      outline.append((ax + sx * t + ox * bulge, ay + sy * t + oy * bulge))
  return outline


def draw_head(field, path, tip, half_width, skew):
  base = path[-1]
  outline = head_outline((base[0] - 3, base[1]), tip, half_width, skew)
  xs, ys = [p[0] for p in outline], [p[1] for p in outline]
  for y in range(int(min(ys)) - 4, int(max(ys)) + 5):
    for x in range(int(min(xs)) - 4, int(max(xs)) + 5):
      # Rounded corners: the outline grown by 1.5 px.
      field.merge(x, y, sd_polygon(x + 0.5, y + 0.5, outline) - 1.5, smooth=5.0)


def _height(distance, profile=5.5):
  """Ink surface height: a rounded shoulder at the edge of the stroke, flat in the middle."""
  depth = clamp(-distance, 0.0, profile)
  return math.sqrt(profile * profile - (profile - depth) ** 2)


def shade(field, x, y):
  """Colour of the ink at a pixel, lit from the upper left."""
  dx = (_height(field.get(x + 1, y)) - _height(field.get(x - 1, y))) / 2
  dy = (_height(field.get(x, y + 1)) - _height(field.get(x, y - 1))) / 2
  nx, ny, nz = -dx * 0.55, -dy * 0.55, 1.0
  norm = math.sqrt(nx * nx + ny * ny + nz * nz)
  nx, ny, nz = nx / norm, ny / norm, nz / norm
  lx, ly, lz = LIGHT
  light_norm = math.sqrt(lx * lx + ly * ly + lz * lz)
  lx, ly, lz = lx / light_norm, ly / light_norm, lz / light_norm
  diffuse = max(0.0, nx * lx + ny * ly + nz * lz) / lz  # 1 where the ink lies flat
  hx, hy, hz = lx, ly, lz + 1
  half_norm = math.sqrt(hx * hx + hy * hy + hz * hz)
  specular = max(0.0, (nx * hx + ny * hy + nz * hz) / half_norm) ** 40
  colour = tuple(clamp(c * (0.40 + 0.60 * diffuse), 0, 255) for c in INK)
  return mix(colour, HIGHLIGHT, clamp(specular * 0.8))


def render():
  """Returns the arrows as (palette of 256 RGB tuples, list of palette indices)."""
  field = DistanceField()
  draw_stroke(field, TOP_PATH, 7.8, 0.3)
  draw_head(field, TOP_PATH, TOP_TIP, 19.0, 0.06)
  draw_stroke(field, SIDE_PATH, 8.0, 2.1)
  draw_head(field, SIDE_PATH, SIDE_TIP, 19.0, -0.05)

  colours = [None] * (WIDTH * HEIGHT)
  for y in range(HEIGHT):
    for x in range(WIDTH):
      alpha = coverage(field.get(x, y))
      if alpha >= 0.3:
        # Partly covered edge pixels are pre-blended with the window colour.
        ink = mix(BACKGROUND, shade(field, x, y), smooth_alpha(alpha))
        colours[y * WIDTH + x] = tuple(round(c) for c in ink)

  weights = {}
  for colour in colours:
    if colour is not None:
      weights[colour] = weights.get(colour, 0) + 1
  chosen = median_cut(weights, 255)
  palette = chosen[:TRANSPARENT_INDEX] + [tuple(int(c) for c in BACKGROUND)] + \
      chosen[TRANSPARENT_INDEX:]
  palette += [(0, 0, 0)] * (256 - len(palette))
  lookup = {}
  indices = []
  searchable = [None if i == TRANSPARENT_INDEX or i > len(chosen) else entry
                for i, entry in enumerate(palette)]
  for colour in colours:
    if colour is None:
      indices.append(TRANSPARENT_INDEX)
      continue
    if colour not in lookup:
      lookup[colour] = nearest(searchable, colour)
    indices.append(lookup[colour])
  return palette, indices


def smooth_alpha(alpha):
  return clamp((alpha - 0.15) / 0.85)
