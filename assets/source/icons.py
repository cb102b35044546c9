"""The program icon (a window with a small stopwatch face in it) and the About box icon (a window
with a few coloured toy shapes in front of it).

Each icon is a short list of shapes in pixel units. Every shape carries two colours: a full
colour for the antialiased PNG and SVG versions, and an entry of the classic 16-colour icon
palette for the .ico images, which are painted in whole pixels so they stay crisp.
"""

from formats import ico, icon_image, png_rgba
from imaging import Canvas, nearest, sd_box, sd_circle, sd_polygon

# The standard 16-colour icon palette.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
       (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GREY, RED, LIME, YELLOW, BLUE, \
    FUCHSIA, AQUA, WHITE = range(16)

INK = ((20, 22, 28), BLACK)
FRAME = ((200, 202, 208), SILVER)
SHADOW = ((120, 122, 130), GREY)
TITLE = ((28, 64, 150), NAVY)
PAPER = ((255, 255, 255), WHITE)
SUNKEN = ((128, 130, 138), GREY)
HAND = ((210, 20, 24), RED)


def rect(x0, y0, x1, y1, colour, radius=0.0):
  return ("rect", (x0, y0, x1, y1, radius), colour)


def circle(cx, cy, r, colour):
  return ("circle", (cx, cy, r), colour)


def polygon(points, colour):
  return ("polygon", tuple(points), colour)


def outlined(shape):
  """The shape with a one-pixel ink outline around it."""
  kind, params, _ = shape
  return [(kind, params, INK, 1.0), shape]


def window(x0, y0, x1, y1, title_height, title=TITLE):
  """A window with a drop shadow, a one-pixel outline, a raised frame, a title bar with a close
  box and a sunken white client area. Coordinates are the outline's outer edges."""
  return [
      rect(x0 + 2, y0 + 2, x1 + 1, y1 + 1, SHADOW),
      rect(x0, y0, x1, y1, INK),
      rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, FRAME),
      rect(x0 + 2, y0 + 2, x1 - 2, y0 + 2 + title_height, title),
      rect(x1 - 2 - title_height + 1, y0 + 3, x1 - 3, y0 + 1 + title_height, FRAME),
      rect(x0 + 2, y0 + 3 + title_height, x1 - 2, y1 - 2, SUNKEN),
      rect(x0 + 3, y0 + 4 + title_height, x1 - 2, y1 - 2, PAPER),
  ]


def program_icon():
  """The 32 x 32 program icon: a window showing a stopwatch dial at a quarter past."""
  return window(1, 2, 30, 29, 5) + [
      rect(15, 11, 18, 13, INK),                     # the crown
      circle(16.5, 19.5, 6.5, INK), circle(16.5, 19.5, 5.5, PAPER),
      rect(16, 15, 17, 20, INK),                     # minute hand, up
      rect(17, 19, 21, 20, HAND),                    # second hand, to the right
  ]


# The 16 x 16 program icon is too small for shapes to land cleanly, so it is laid out by pixel.
SMALL_PROGRAM_ICON = [
    "kkkkkkkkkkkkkkk.",
    "ksssssssssssssk.",
    "ksnnnnnnnnwwnskg",
    "ksnnnnnnnnwwnskg",
    "kssssssssssssskg",
    "kswwwwwkwwwwwskg",
    "kswwwwkkkwwwwskg",
    "kswwwkwkwkwwwskg",
    "kswwkwwkwwkwwskg",
    "kswwkwwkrrkwwskg",
    "kswwkwwwwwkwwskg",
    "kswwwkwwwkwwwskg",
    "kswwwwkkkwwwwskg",
    "kssssssssssssskg",
    "kkkkkkkkkkkkkkkg",
    "..gggggggggggggg",
]
SMALL_COLOURS = {"k": INK, "s": FRAME, "n": TITLE, "w": PAPER, "g": SHADOW, "r": HAND}


def about_icon():
  """A window with a yellow pyramid, a blue block and a red ball standing in front of it."""
  blue, light_blue, dark_blue = ((40, 80, 230), BLUE), ((110, 200, 255), AQUA), \
      ((20, 30, 140), NAVY)
  red, dark_red = ((225, 30, 30), RED), ((140, 10, 10), MAROON)
  return window(7, 1, 31, 22, 4, title=((0, 120, 120), TEAL)) + [
      rect(12, 11, 27, 12, SUNKEN), rect(12, 14, 24, 15, SUNKEN),
      *outlined(polygon([(23.5, 15), (30.5, 29), (16.5, 29)], ((250, 210, 30), YELLOW))),
      polygon([(23.5, 15), (26.5, 29), (23.5, 29)], ((180, 140, 10), OLIVE)),
      *outlined(polygon([(10, 20), (13, 17), (21, 17), (21, 24), (18, 27), (10, 27)], blue)),
      polygon([(10, 20), (13, 17), (21, 17), (18, 20)], light_blue),
      polygon([(18, 20), (21, 17), (21, 24), (18, 27)], dark_blue),
      *outlined(circle(7.5, 24.5, 4.9, red)),
      ("circle", (8.5, 25.5, 3.9), dark_red, 0.0),
      circle(7.5, 24.5, 3.9, red),
      circle(6.0, 23.0, 1.2, PAPER),
  ]


def _distance(kind, params, grow=0.0):
  base = _base_distance(kind, params)
  return (lambda px, py: base(px, py) - grow) if grow else base


def _base_distance(kind, params):
  if kind == "rect":
    x0, y0, x1, y1, radius = params
    return lambda px, py: sd_box(px, py, x0, y0, x1, y1, radius)
  if kind == "circle":
    cx, cy, r = params
    return lambda px, py: sd_circle(px, py, cx, cy, r)
  return lambda px, py: sd_polygon(px, py, params)


def paint(shapes, size, crisp):
  """Full-colour antialiased canvas, or (crisp) a canvas of whole pixels in palette colours."""
  canvas = Canvas(size, size)
  for shape in shapes:
    kind, params, (colour, index) = shape[:3]
    grow = shape[3] if len(shape) > 3 else 0.0
    canvas.fill(_distance(kind, params, grow), VGA[index] if crisp else colour, hard=crisp)
  return canvas


def paint_pixels(rows, colours, crisp):
  canvas = Canvas(len(rows[0]), len(rows))
  for y, row in enumerate(rows):
    for x, key in enumerate(row):
      if key in colours:
        colour, index = colours[key]
        canvas.blend(x, y, VGA[index] if crisp else colour, 1.0)
  return canvas


def svg(shapes, size):
  """The same shapes as scalable vector graphics; a grown shape becomes a stroked one."""
  body = []
  for shape in shapes:
    kind, params, (colour, _) = shape[:3]
    grow = shape[3] if len(shape) > 3 else 0.0
    paint = f'fill="#{colour[0]:02x}{colour[1]:02x}{colour[2]:02x}"'
    if grow:
      paint += f' stroke="{paint[6:-1]}" stroke-width="{2 * grow:g}" stroke-linejoin="round"'
    if kind == "rect":
      x0, y0, x1, y1, radius = params
      corner = f' rx="{radius:g}"' if radius else ""
      body.append(f'<rect x="{x0:g}" y="{y0:g}" width="{x1 - x0:g}" height="{y1 - y0:g}"{corner}'
                  f' {paint}/>')
    elif kind == "circle":
      cx, cy, r = params
      body.append(f'<circle cx="{cx:g}" cy="{cy:g}" r="{r:g}" {paint}/>')
    else:
      points = " ".join(f"{x:g},{y:g}" for x, y in params)
      body.append(f'<polygon points="{points}" {paint}/>')
  return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}"'
          f' viewBox="0 0 {size} {size}">\n  <title>Stopwatch</title>\n  '
          + "\n  ".join(body) + "\n</svg>\n").encode()


def _png(canvas):
  return png_rgba(canvas.width, canvas.height, canvas.rgba_bytes())


def _icon_entry(canvas, palette):
  size = canvas.width
  opaque = [a >= 0.5 for _, _, _, a in canvas.pixels]
  indices = [nearest(palette, (r, g, b)) for r, g, b, _ in canvas.pixels]
  return icon_image(size, palette, indices, [not o for o in opaque])


def _monochrome(canvas):
  """Two-colour version: dark parts black, light parts white."""
  mono = Canvas(canvas.width, canvas.height)
  for i, (r, g, b, a) in enumerate(canvas.pixels):
    light = 0.3 * r + 0.59 * g + 0.11 * b >= 150
    mono.pixels[i] = (255.0, 255.0, 255.0, a) if light else (0.0, 0.0, 0.0, a)
  return mono


def render_all():
  """Every icon file, by name."""
  large = program_icon()
  crisp_small = paint_pixels(SMALL_PROGRAM_ICON, SMALL_COLOURS, crisp=True)
  crisp_large = paint(large, 32, crisp=True)
  crisp_about = paint(about_icon(), 32, crisp=True)
  files = {
      "stopwatch.ico": ico([_icon_entry(crisp_small, VGA), _icon_entry(crisp_large, VGA),
                            _icon_entry(_monochrome(crisp_large), [(0, 0, 0), (255, 255, 255)])]),
      "stopwatch.svg": svg(large, 32),
      "stopwatch-16.png": _png(paint_pixels(SMALL_PROGRAM_ICON, SMALL_COLOURS, crisp=False)),
      "stopwatch-32.png": _png(paint(large, 32, crisp=False)),
      "about.ico": ico([_icon_entry(crisp_about, VGA)]),
      "about.png": _png(crisp_about),
  }
  files["stopwatch.png"] = files["stopwatch-32.png"]
  return files
