"""Writers for the three file formats the pictures ship in: GIF89a, PNG and Windows ICO."""

import struct
import zlib


# ---- GIF89a ----------------------------------------------------------------------------------

def _lzw_codes(indices, min_code_size):
  """Yield (code, bit width) pairs of the GIF variant of LZW."""
  clear, end = 1 << min_code_size, (1 << min_code_size) + 1
  code_size, next_code, table = min_code_size + 1, end + 1, {}
  yield clear, code_size
  prefix = indices[0]
  for index in indices[1:]:
    key = (prefix, index)
    code = table.get(key)
    if code is not None:
      prefix = code
      continue
    yield prefix, code_size
    if next_code < 4096:
      table[key] = next_code
      next_code += 1
      if next_code > (1 << code_size) and code_size < 12:
        code_size += 1
    else:
      # The table is full: start a fresh one so long runs of new colours stay compact.
      yield clear, code_size
      code_size, next_code, table = min_code_size + 1, end + 1, {}
    prefix = index
  yield prefix, code_size
  yield end, code_size


def _lzw_compress(indices, min_code_size):
  out, bits, nbits = bytearray(), 0, 0
  for code, width in _lzw_codes(indices, min_code_size):
    bits |= code << nbits
    nbits += width
    while nbits >= 8:
      out.append(bits & 0xFF)
      bits >>= 8
      nbits -= 8
  if nbits:
    out.append(bits & 0xFF)
  return bytes(out)


def gif89a(width, height, palette, indices, transparent_index):
  """One-frame, non-interlaced GIF89a with a global palette (2..256 entries, a power of two)
  and one transparent palette index."""
  size_bits = (len(palette) - 1).bit_length()
  assert len(palette) == 1 << size_bits and 1 <= size_bits <= 8
  assert len(indices) == width * height
  out = bytearray(b"GIF89a")
  # Logical screen: global colour table present, 8 bits of colour resolution, unsorted.
  out += struct.pack("<HHBBB", width, height, 0x80 | 0x70 | (size_bits - 1), transparent_index, 0)
  for r, g, b in palette:
    out += bytes((r, g, b))
  # Graphic control extension: no disposal, no delay, transparency on.
  out += bytes((0x21, 0xF9, 4, 0x01, 0, 0, transparent_index, 0))
  # Image descriptor: whole screen, no local colour table, not interlaced.
  out += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
  min_code_size = max(2, size_bits)
  data = _lzw_compress(indices, min_code_size)
  out.append(min_code_size)
  for start in range(0, len(data), 255):
    block = data[start:start + 255]
    out.append(len(block))
    out += block
  out += b"\x00\x3B"
  return bytes(out)


# ---- PNG -------------------------------------------------------------------------------------

def _chunk(kind, data):
  return struct.pack(">I", len(data)) + kind + data + \
      struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png_rgba(width, height, rgba):
  """8-bit RGBA PNG from width * height * 4 bytes, top row first."""
  stride = width * 4
  raw = b"".join(b"\x00" + rgba[y * stride:(y + 1) * stride] for y in range(height))
  header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA, not interlaced
  return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header)
          + _chunk(b"IDAT", zlib.compress(raw, 9)) + _chunk(b"IEND", b""))


# ---- ICO -------------------------------------------------------------------------------------

def _pack_rows(rows, bits_per_pixel):
  """Bottom-up rows of palette indices packed MSB first, each padded to 4 bytes."""
  out = bytearray()
  for row in reversed(rows):
    acc, nbits, line = 0, 0, bytearray()
    for value in row:
      acc = (acc << bits_per_pixel) | value
      nbits += bits_per_pixel
      if nbits == 8:
        line.append(acc)
        acc, nbits = 0, 0
    if nbits:
      line.append(acc << (8 - nbits))
    while len(line) % 4:
      line.append(0)
    out += line
  return bytes(out)


def icon_image(size, palette, indices, transparent):
  """One icon image: a palette bitmap plus its AND mask. indices is size * size palette
  indices; transparent a same-sized list of booleans."""
  bits_per_pixel = {2: 1, 16: 4}[len(palette)]
  rows = [[0 if transparent[y * size + x] else indices[y * size + x] for x in range(size)]
          for y in range(size)]
  mask = [[1 if transparent[y * size + x] else 0 for x in range(size)] for y in range(size)]
  header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits_per_pixel, 0, 0, 0, 0, 0, 0)
  colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
  body = header + colours + _pack_rows(rows, bits_per_pixel) + _pack_rows(mask, 1)
  return size, len(palette), bits_per_pixel, body


def ico(images):
  """An icon group file from icon_image() results."""
  out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
  offset = 6 + 16 * len(images)
  for size, colours, bits_per_pixel, body in images:
    out += struct.pack("<BBBBHHII", size % 256, size % 256, colours % 256, 0, 1, bits_per_pixel,
                       len(body), offset)
    offset += len(body)
  for image in images:
    out += image[3]
  return bytes(out)
