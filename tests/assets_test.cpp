// The pictures and icons compiled into the program: each is in the resources, has the exact file
// format the windows rely on, and shows what it should where it matters.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace {

QByteArray readResource(const std::string& name) {
  QFile file(QString::fromStdString(":/pictures/" + name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

QImage loadResource(const std::string& name) {
  return QImage(QString::fromStdString(":/pictures/" + name));
}

int u8(const QByteArray& bytes, int at) { return static_cast<std::uint8_t>(bytes.at(at)); }
int u16(const QByteArray& bytes, int at) { return u8(bytes, at) | u8(bytes, at + 1) << 8; }

// What a GIF file says about itself, read block by block from its bytes.
struct GifFacts {
  std::string signature;
  int width = 0, height = 0;
  int globalPaletteSize = 0;  // 0 when there is no global palette
  std::vector<QRgb> palette;
  int frames = 0;
  bool anyInterlaced = false;
  bool anyLocalPalette = false;
  bool transparent = false;
  int transparentIndex = -1;
  bool wellFormed = false;  // every block walked and the trailer reached
};

int skipSubBlocks(const QByteArray& bytes, int at) {
  while (at < bytes.size()) {
    const int length = u8(bytes, at);
    at += 1 + length;
    if (length == 0) return at;
  }
  return -1;
}

GifFacts readGif(const QByteArray& bytes) {
  GifFacts facts;
  if (bytes.size() < 13) return facts;
  facts.signature = bytes.left(6).toStdString();
  facts.width = u16(bytes, 6);
  facts.height = u16(bytes, 8);
  const int screenFlags = u8(bytes, 10);
  if (screenFlags & 0x80) facts.globalPaletteSize = 2 << (screenFlags & 7);
  int at = 13 + 3 * facts.globalPaletteSize;
  if (at > bytes.size()) return facts;
  for (int entry = 13; entry < at; entry += 3)
    facts.palette.push_back(qRgb(u8(bytes, entry), u8(bytes, entry + 1), u8(bytes, entry + 2)));
  while (at >= 0 && at < bytes.size()) {
    const int introducer = u8(bytes, at);
    if (introducer == 0x3B) {
      facts.wellFormed = true;
      break;
    }
    if (introducer == 0x21 && at + 1 < bytes.size()) {
      if (u8(bytes, at + 1) == 0xF9 && at + 6 < bytes.size()) {
        facts.transparent = u8(bytes, at + 3) & 1;
        facts.transparentIndex = u8(bytes, at + 6);
      }
      at = skipSubBlocks(bytes, at + 2);
    } else if (introducer == 0x2C && at + 10 < bytes.size()) {
      ++facts.frames;
      const int imageFlags = u8(bytes, at + 9);
      facts.anyInterlaced |= (imageFlags & 0x40) != 0;
      facts.anyLocalPalette |= (imageFlags & 0x80) != 0;
      at += 10;
      if (imageFlags & 0x80) at += 3 * (2 << (imageFlags & 7));
      at = skipSubBlocks(bytes, at + 1);  // past the LZW code size byte
    } else {
      break;
    }
  }
  return facts;
}

struct GifCase {
  std::string name;
  int width, height, paletteSize, transparentIndex;
};

void PrintTo(const GifCase& picture, std::ostream* out) { *out << picture.name; }

class GifPicture : public testing::TestWithParam<GifCase> {};

TEST_P(GifPicture, FileIsOneFrameGif89aWithGlobalPaletteAndOneTransparentIndex) {
  const GifCase& expected = GetParam();
  const GifFacts facts = readGif(readResource(expected.name));
  EXPECT_TRUE(facts.wellFormed);
  EXPECT_EQ(facts.signature, "GIF89a");
  EXPECT_EQ(facts.width, expected.width);
  EXPECT_EQ(facts.height, expected.height);
  EXPECT_EQ(facts.globalPaletteSize, expected.paletteSize);
  EXPECT_FALSE(facts.anyLocalPalette);
  EXPECT_EQ(facts.frames, 1);
  EXPECT_FALSE(facts.anyInterlaced);
  EXPECT_TRUE(facts.transparent);
  EXPECT_EQ(facts.transparentIndex, expected.transparentIndex);
}

TEST_P(GifPicture, DecodesToOpaquePaletteColoursOnAClearGround) {
  const GifCase& expected = GetParam();
  const GifFacts facts = readGif(readResource(expected.name));
  ASSERT_EQ(static_cast<int>(facts.palette.size()), expected.paletteSize);
  QImageReader reader(QString::fromStdString(":/pictures/" + expected.name));
  EXPECT_EQ(reader.imageCount(), 1);
  const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
  ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
  ASSERT_EQ(image.size(), QSize(expected.width, expected.height));
  // Every pixel is either clear or exactly one of the other palette colours: the compressed
  // data decodes cleanly to the end.
  std::vector<QRgb> opaque = facts.palette;
  opaque.erase(opaque.begin() + expected.transparentIndex);
  int clear = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      if (qAlpha(pixel) == 0) {
        ++clear;
        continue;
      }
      ASSERT_EQ(qAlpha(pixel), 255) << x << "," << y;
      ASSERT_NE(std::find(opaque.begin(), opaque.end(), pixel), opaque.end()) << x << "," << y;
    }
  }
  for (const QPoint corner :
       {QPoint(0, 0), QPoint(expected.width - 1, 0), QPoint(0, expected.height - 1),
        QPoint(expected.width - 1, expected.height - 1)})
    EXPECT_EQ(qAlpha(image.pixel(corner)), 0);
  EXPECT_GT(clear, 0);
  EXPECT_LT(clear, image.width() * image.height());
}

INSTANTIATE_TEST_SUITE_P(Pictures, GifPicture,
                         testing::Values(GifCase{"arrows.gif", 529, 407, 256, 9},
                                         GifCase{"alarm.gif", 152, 167, 16, 15}),
                         [](const auto& info) {
                           return info.param.name.substr(0, info.param.name.find('.'));
                         });

// Any opaque red, from the shadowed side of a stroke to its lit side.
bool isRedInk(QRgb pixel) {
  return qAlpha(pixel) == 255 && qRed(pixel) > 90 && qRed(pixel) > qGreen(pixel) + 60 &&
         qRed(pixel) > qBlue(pixel) + 60;
}

// Pixel positions are window twips / 15: the picture is drawn unscaled behind the controls.
TEST(ArrowsPicture, HeadsEndJustBeforeTheButtonsTheyPointAt) {
  const QImage arrows = loadResource("arrows.gif").convertToFormat(QImage::Format_ARGB32);
  ASSERT_FALSE(arrows.isNull());
  struct Head {
    const char* button;
    QPoint tip;
    int buttonLeft;
  };
  for (const Head& head :
       {Head{"Preset Now", {314, 37}, 320}, Head{"Change Colour", {316, 364}, 344}}) {
    SCOPED_TRACE(head.button);
    EXPECT_TRUE(isRedInk(arrows.pixel(head.tip - QPoint(6, 0))));
    EXPECT_TRUE(isRedInk(arrows.pixel(head.tip - QPoint(22, 8))));  // the barbs are wide
    EXPECT_TRUE(isRedInk(arrows.pixel(head.tip - QPoint(22, -8))));
    for (int x = head.tip.x() + 3; x < head.buttonLeft + 20; ++x)
      EXPECT_EQ(qAlpha(arrows.pixel(x, head.tip.y())), 0) << "x " << x;
  }
}

TEST(ArrowsPicture, ShaftsRunAlongTheTopAndDownTheLeftThenAlongTheBottom) {
  const QImage arrows = loadResource("arrows.gif").convertToFormat(QImage::Format_ARGB32);
  ASSERT_FALSE(arrows.isNull());
  auto inkInColumn = [&](int x, int y0, int y1) {
    for (int y = y0; y <= y1; ++y)
      if (isRedInk(arrows.pixel(x, y))) return true;
    return false;
  };
  auto inkInRow = [&](int y, int x0, int x1) {
    for (int x = x0; x <= x1; ++x)
      if (isRedInk(arrows.pixel(x, y))) return true;
    return false;
  };
  for (int x = 20; x <= 300; x += 10) EXPECT_TRUE(inkInColumn(x, 7, 52)) << "top, x " << x;
  for (int y = 100; y <= 370; y += 10) EXPECT_TRUE(inkInRow(y, 8, 40)) << "left, y " << y;
  for (int x = 40; x <= 300; x += 10) EXPECT_TRUE(inkInColumn(x, 350, 390)) << "bottom, x " << x;
  // Nothing strays into the middle of the window or below the bottom run.
  for (int y = 60; y < 340; ++y) EXPECT_FALSE(inkInRow(y, 60, 528)) << "y " << y;
  for (int y = 392; y < 407; ++y) EXPECT_FALSE(inkInRow(y, 0, 528)) << "y " << y;
}

TEST(AlarmPicture, RedBellWithWhiteLettersOverAGreyBox) {
  const QImage alarm = loadResource("alarm.gif").convertToFormat(QImage::Format_ARGB32);
  ASSERT_FALSE(alarm.isNull());
  int red = 0, white = 0, grey = 0;
  for (int y = 0; y < alarm.height(); ++y) {
    for (int x = 0; x < alarm.width(); ++x) {
      const QRgb pixel = alarm.pixel(x, y);
      if (qAlpha(pixel) == 0) continue;
      const int spread = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) -
                         std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
      if (isRedInk(pixel))
        ++red;
      else if (qGray(pixel) > 235 && spread < 12)
        ++(y < 110 ? white : grey);
      else if (spread < 20 && y > 110)
        ++grey;
    }
  }
  const int area = alarm.width() * alarm.height();
  EXPECT_GT(red, area * 4 / 10);               // the bell fills most of the picture
  EXPECT_GT(white, 400);                       // the four letters
  EXPECT_GT(grey, 1000);                       // the box below the bell
  EXPECT_TRUE(isRedInk(alarm.pixel(76, 20)));  // above the letters, the dome
}

// One entry of an icon file's directory.
struct IconEntry {
  int width, height, colours, bitsPerPixel;
};

std::vector<IconEntry> iconEntries(const QByteArray& bytes) {
  std::vector<IconEntry> entries;
  if (bytes.size() < 6 || u16(bytes, 0) != 0 || u16(bytes, 2) != 1) return entries;
  for (int i = 0; i < u16(bytes, 4); ++i) {
    const int at = 6 + 16 * i;
    if (at + 16 > bytes.size()) return {};
    const int width = u8(bytes, at) ? u8(bytes, at) : 256;  // 0 stands for 256
    const int height = u8(bytes, at + 1) ? u8(bytes, at + 1) : 256;
    entries.push_back({width, height, u8(bytes, at + 2), u16(bytes, at + 6)});
  }
  return entries;
}

bool operator==(const IconEntry& a, const IconEntry& b) {
  return a.width == b.width && a.height == b.height && a.colours == b.colours &&
         a.bitsPerPixel == b.bitsPerPixel;
}

void PrintTo(const IconEntry& e, std::ostream* out) {
  *out << e.width << "x" << e.height << " " << e.colours << " colours " << e.bitsPerPixel << " bpp";
}

TEST(IconFiles, ProgramIconGroupHoldsTwoSixteenColourSizesAndAMonochromeOne) {
  const std::vector<IconEntry> expected{{16, 16, 16, 4}, {32, 32, 16, 4}, {32, 32, 2, 1}};
  EXPECT_EQ(iconEntries(readResource("stopwatch.ico")), expected);
  QImageReader reader(":/pictures/stopwatch.ico");
  ASSERT_EQ(reader.imageCount(), 3);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(reader.jumpToImage(i));
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << i;
    EXPECT_EQ(image.size(), QSize(expected[i].width, expected[i].height)) << i;
    EXPECT_TRUE(image.hasAlphaChannel()) << i;  // the AND mask gives the window its outline
  }
}

TEST(IconFiles, AboutIconIsOneSixteenColourImageAndItsPngIsTheSamePicture) {
  const std::vector<IconEntry> expected{{32, 32, 16, 4}};
  EXPECT_EQ(iconEntries(readResource("about.ico")), expected);
  const QImage icon = loadResource("about.ico").convertToFormat(QImage::Format_ARGB32);
  const QImage png = loadResource("about.png").convertToFormat(QImage::Format_ARGB32);
  ASSERT_FALSE(icon.isNull());
  ASSERT_FALSE(png.isNull());
  EXPECT_EQ(icon, png);
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(icon.pixel(16, 16)), 255);
}

TEST(IconFiles, PngIconsHaveTheirSizesAndTheWindowIconIsTheLargeOne) {
  for (const auto& [name, size] : std::vector<std::pair<std::string, int>>{
           {"stopwatch-16.png", 16}, {"stopwatch-32.png", 32}, {"stopwatch.png", 32}}) {
    const QImage image = loadResource(name);
    ASSERT_FALSE(image.isNull()) << name;
    EXPECT_EQ(image.size(), QSize(size, size)) << name;
    EXPECT_TRUE(image.hasAlphaChannel()) << name;
  }
  EXPECT_EQ(readResource("stopwatch.png"), readResource("stopwatch-32.png"));
}

TEST(IconFiles, ScalableIconIsWellFormedSvgOnA32UnitGrid) {
  QXmlStreamReader svg(readResource("stopwatch.svg"));
  ASSERT_TRUE(svg.readNextStartElement());
  EXPECT_EQ(svg.name(), QStringLiteral("svg"));
  EXPECT_EQ(svg.attributes().value("viewBox"), QStringLiteral("0 0 32 32"));
  int shapes = 0;
  while (!svg.atEnd()) {
    if (svg.readNext() == QXmlStreamReader::StartElement && svg.name() != QStringLiteral("title"))
      ++shapes;
  }
  EXPECT_FALSE(svg.hasError()) << svg.errorString().toStdString();
  EXPECT_GT(shapes, 5);
}

}  // namespace
