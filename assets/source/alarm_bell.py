"""The alarm picture: a red fire-alarm bell marked FIRE, on a grey box with its striker.

It is shown over the dial while the alarm rings, so it is drawn in a few flat, bold tones that read
at a glance: a round red gong lit from the upper left, white letters with a dark drop shadow, and
a steel striker resting on the gong's rim. Colours are snapped to a fixed 16-colour palette whose
last entry, white, is the transparent ground.
"""

import math

from imaging import Canvas, clamp, mix, nearest, sd_box, sd_capsule, sd_circle, sd_polygon

WIDTH, HEIGHT = 152, 167
TRANSPARENT_INDEX = 15

PALETTE = [
    (30, 14, 16),     # 0 outline
    (104, 6, 12),     # 1 deepest red
    (148, 12, 18),    # 2 dark red
    (186, 22, 28),    # 3 red
    (218, 38, 40),    # 4 bright red
    (240, 82, 74),    # 5 light red
    (252, 170, 160),  # 6 pink highlight
    (250, 250, 250),  # 7 letter white (opaque; 15 is the see-through white)
    (52, 54, 60),     # 8 dark grey
    (92, 94, 102),    # 9 grey
    (134, 136, 144),  # 10 mid grey
    (176, 178, 186),  # 11 light grey
    (212, 214, 220),  # 12 pale grey
    (246, 124, 112),  # 13 soft highlight
    (70, 10, 14),     # 14 letter shadow
    (255, 255, 255),  # 15 transparent
]

BELL = (76.0, 68.0, 65.0)     # the gong's rim: centre x, y and radius
DOME = (76.0, 61.0, 54.0)     # the raised dome inside the rim, seen a little from below
APEX = (76.0, 43.0, 7.0)      # the nut that holds the gong
BOX = (38.0, 111.0, 114.0, 164.0)
PIVOT = (97.0, 149.0)
HAMMER = (111.0, 127.0, 6.5)  # striker head resting on the rim


def _red(level):
  """A red from dark (0) to bright (1), continuous; the palette snaps it into bands."""
  stops = [PALETTE[1], PALETTE[2], PALETTE[3], PALETTE[4], PALETTE[5]]
  position = clamp(level) * (len(stops) - 1)
  i = min(int(position), len(stops) - 2)
  return mix(stops[i], stops[i + 1], position - i)


def _lit(px, py, cx, cy, radius, bias):
  """How much a point of a rounded surface faces the light from the upper left (0..1)."""
  nx, ny = (px - cx) / radius, (py - cy) / radius
  return clamp(0.55 - 0.55 * (nx * 0.62 + ny * 0.78) + bias)


def draw_box(canvas):
  x0, y0, x1, y1 = BOX
  canvas.fill(lambda px, py: sd_box(px, py, x0, y0, x1, y1, 6), PALETTE[0], BOX)
  canvas.fill(lambda px, py: sd_box(px, py, x0 + 1, y0 + 1, x1 - 1, y1 - 1, 5), PALETTE[12], BOX)
  canvas.fill(lambda px, py: sd_box(px, py, x0 + 3, y0 + 3, x1 - 1, y1 - 1, 4), PALETTE[9], BOX)
  face = (x0 + 3, y0 + 3, x1 - 3, y1 - 3)

  def face_colour(px, py):
    return mix(PALETTE[11], PALETTE[10], clamp((py - face[1]) / (face[3] - face[1])))

  canvas.fill(lambda px, py: sd_box(px, py, *face, 3), face_colour, face)
  # The gong's shadow falls on the top of the box.
  cx, cy, r = BELL
  canvas.fill(lambda px, py: max(sd_box(px, py, x0 + 1, y0 + 1, x1 - 1, y1 - 1, 5),
                                 sd_circle(px, py, cx + 2, cy + 5, r)), PALETTE[9], BOX)
  for sx in (x0 + 9, x1 - 9):
    screw(canvas, sx, y1 - 9)


def screw(canvas, cx, cy):
  area = (cx - 5, cy - 5, cx + 5, cy + 5)
  canvas.fill(lambda px, py: sd_circle(px, py, cx, cy, 3.5), PALETTE[8], area)
  canvas.fill(lambda px, py: sd_circle(px, py, cx - 0.5, cy - 0.5, 2.2), PALETTE[12], area)
  canvas.fill(lambda px, py: sd_capsule(px, py, cx - 2, cy + 2, cx + 2, cy - 2, 0.5), PALETTE[9],
              area)


def draw_bell(canvas):
  cx, cy, r = BELL
  area = (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1)
  canvas.fill(lambda px, py: sd_circle(px, py, cx, cy, r), PALETTE[0], area)
  # The rolled rim: a ring lit on its upper left and in shadow at the lower right.
  canvas.fill(lambda px, py: sd_circle(px, py, cx, cy, r - 1.5),
              lambda px, py: _red(_lit(px, py, cx, cy, r, 0.05)), area)
  dx, dy, dr = DOME
  canvas.fill(lambda px, py: sd_circle(px, py, dx, dy + 1.5, dr + 1.5), PALETTE[1], area)

  def dome_colour(px, py):
    # Brightest near a point up and left of the apex, darkening towards the lip.
    glow = math.hypot(px - (dx - 22), py - (dy - 24)) / (dr * 1.7)
    return _red(1.0 - glow)

  canvas.fill(lambda px, py: sd_circle(px, py, dx, dy, dr), dome_colour, area)
  highlight(canvas)
  # A glint along the rim's upper left.
  def sd_glint(px, py):
    ring = max(sd_circle(px, py, cx, cy, r - 3), -sd_circle(px, py, cx, cy, r - 6))
    return max(ring, _angle_gap(px, py, cx, cy, 200, 250))

  canvas.fill(sd_glint, PALETTE[13], area)
  ax, ay, ar = APEX
  nut = (ax - ar - 2, ay - ar - 2, ax + ar + 2, ay + ar + 2)
  canvas.fill(lambda px, py: sd_circle(px, py, ax, ay, ar + 1), PALETTE[0], nut)
  def nut_colour(px, py):
    return mix(PALETTE[12], PALETTE[9], clamp((px - ax + py - ay) / (2 * ar) + 0.5))

  canvas.fill(lambda px, py: sd_circle(px, py, ax, ay, ar), nut_colour, nut)
  canvas.fill(lambda px, py: sd_circle(px, py, ax - 2, ay - 2, 2), PALETTE[12], nut)


def _angle_gap(px, py, cx, cy, start, end):
  """Signed-distance-like limit to the directions between start and end degrees (y down)."""
  angle = math.degrees(math.atan2(py - cy, px - cx)) % 360
  if start <= angle <= end:
    return -1.0
  gap = min(abs(angle - start), abs(angle - end), 360 - abs(angle - start), 360 - abs(angle - end))
  return math.radians(gap) * math.hypot(px - cx, py - cy)


def highlight(canvas):
  """The shine on the dome: a soft pink streak along its upper left."""
  dx, dy, dr = DOME
  centre, rx, ry, tilt = (dx - 24.0, dy - 22.0), 15.0, 6.5, math.radians(-42)

  def sd_streak(px, py):
    x, y = px - centre[0], py - centre[1]
    u = x * math.cos(tilt) + y * math.sin(tilt)
    v = -x * math.sin(tilt) + y * math.cos(tilt)
    return (math.hypot(u / rx, v / ry) - 1) * min(rx, ry)

  area = (centre[0] - rx - 2, centre[1] - rx - 2, centre[0] + rx + 2, centre[1] + rx + 2)
  canvas.fill(lambda px, py: sd_streak(px, py) - 2, PALETTE[13], area)
  canvas.fill(sd_streak, PALETTE[6], area)


# Letters of FIRE as rectangles and one polygon each, on a 24 px cap height, 5 px strokes.
def _letter_f(x, y):
  return [("box", x, y, x + 5, y + 24), ("box", x, y, x + 14, y + 5),
          ("box", x, y + 10, x + 12, y + 15)]


def _letter_i(x, y):
  return [("box", x, y, x + 5, y + 24)]


def _letter_r(x, y):
  leg = [(x + 5, y + 12), (x + 10.5, y + 12), (x + 16, y + 24), (x + 10.5, y + 24)]
  return [("box", x, y, x + 5, y + 24), ("bowl", x, y), ("poly", leg)]


def _letter_e(x, y):
  return [("box", x, y, x + 5, y + 24), ("box", x, y, x + 14, y + 5),
          ("box", x, y + 10, x + 12, y + 15), ("box", x, y + 19, x + 14, y + 24)]


def _sd_part(part, px, py):
  kind = part[0]
  if kind == "box":
    return sd_box(px, py, *part[1:])
  if kind == "poly":
    return sd_polygon(px, py, part[1])
  # The bowl of R: a 5 px band from the stem round a half circle and back, 15 px high.
  x, y = part[1], part[2]
  cx, cy, outer = x + 8.5, y + 7.5, 7.5
  if px <= cx:
    band = max(py - (y + 15), y - py, min(py - (y + 5), (y + 10) - py))
    return max(band, x - px)
  ring = math.hypot(px - cx, py - cy)
  return max(ring - outer, (outer - 5) - ring)


def text_parts():
  top, left = 72, 45
  return (_letter_f(left, top) + _letter_i(left + 18, top) + _letter_r(left + 27, top)
          + _letter_e(left + 47, top))


def draw_text(canvas):
  parts = text_parts()

  def sd_text(px, py):
    return min(_sd_part(part, px, py) for part in parts)

  area = (40, 68, 112, 100)
  canvas.fill(lambda px, py: sd_text(px - 1.5, py - 2), PALETTE[14], area)
  canvas.fill(sd_text, PALETTE[7], area)


def draw_striker(canvas):
  hx, hy, hr = HAMMER
  px0, py0 = PIVOT
  area = (px0 - 8, hy - hr - 2, hx + hr + 2, py0 + 8)
  canvas.fill(lambda px, py: sd_capsule(px, py, px0, py0, hx, hy, 3.2), PALETTE[0], area)
  def arm_colour(px, py):  # lit along its upper edge
    return PALETTE[10] if (px - px0) * 0.8 + (py - py0) * 0.6 < 0 else PALETTE[11]

  canvas.fill(lambda px, py: sd_capsule(px, py, px0, py0, hx, hy, 2.0), arm_colour, area)
  canvas.fill(lambda px, py: sd_circle(px, py, px0, py0, 4.5), PALETTE[0], area)
  canvas.fill(lambda px, py: sd_circle(px, py, px0, py0, 3.2), PALETTE[9], area)
  canvas.fill(lambda px, py: sd_circle(px, py, px0 - 0.8, py0 - 0.8, 1.4), PALETTE[12], area)
  canvas.fill(lambda px, py: sd_circle(px, py, hx, hy, hr + 1.2), PALETTE[0], area)

  def steel(px, py):
    shine = math.hypot(px - hx + 2.5, py - hy + 2.5) / (hr * 1.6)
    return mix(PALETTE[12], PALETTE[8], clamp(shine))

  canvas.fill(lambda px, py: sd_circle(px, py, hx, hy, hr), steel, area)
  canvas.fill(lambda px, py: sd_circle(px, py, hx - 2.3, hy - 2.3, 1.6), (255, 255, 255), area)


def render():
  """Returns the picture as (16-colour palette, list of palette indices)."""
  canvas = Canvas(WIDTH, HEIGHT)
  draw_box(canvas)
  draw_bell(canvas)
  draw_text(canvas)
  draw_striker(canvas)
  opaque = [None if i == TRANSPARENT_INDEX else entry for i, entry in enumerate(PALETTE)]
  indices = []
  for r, g, b, a in canvas.pixels:
    indices.append(nearest(opaque, (r, g, b)) if a >= 0.5 else TRANSPARENT_INDEX)
  return PALETTE, indices
