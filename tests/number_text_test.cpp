// Reading numbers from text, writing them back, and 16-bit arithmetic.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "toolkit/numbers.h"
#include "toolkit/types.h"

namespace {

TEST(NumberText, ReadsTheNumberAtTheStartOfATextAndWritesItsShortestText) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* text;
    double value;
    const char* shortest;
  };
  const Case cases[] = {
      {"12a", 12, "12"},
      {"", 0, "0"},
      {"-", 0, "0"},
      {"007", 7, "7"},
      {"5.5", 5.5, "5.5"},
      {"4.5", 4.5, "4.5"},
      {"-2.5", -2.5, "-2.5"},
      {"1e3", 1000, "1000"},
      {"&HF", 15, "15"},
      {"&hff", 255, "255"},
      {"&O7", 7, "7"},
      {"&o17", 15, "15"},
      {" 1 2", 12, "12"},
      {"\t-\n3", -3, "-3"},
      {"59", 59, "59"},
      {"-59", -59, "-59"},
      {"60", 60, "60"},
      {"-60", -60, "-60"},
      {"+4", 4, "4"},
      {".5", 0.5, "0.5"},
      {"5.", 5, "5"},
      {"1e", 1, "1"},
      {"2d2", 200, "200"},
      {"-0", 0, "0"},
      {"&HFFFF", -1, "-1"},
      {"&", 0, "0"},
      {"x1", 0, "0"},
      {"1e999", inf, "inf"},
      {"-1e999", -inf, "-inf"},
      {"1e-999", 0, "0"},
      {"1.2.3", 1.2, "1.2"},
      {"1e21", 1e21, "1e+21"},
  };
  for (const Case& c : cases) {
    const double v = tk::readNumber(c.text);
    EXPECT_EQ(v, c.value) << "reading '" << c.text << "'";
    EXPECT_EQ(tk::shortestText(v), c.shortest) << "text of '" << c.text << "'";
  }
}

// Out of range is huge or tiny by where the first significant digit stands, not by the written
// exponent alone: many zeros after the point make a tiny number whatever its small exponent.
TEST(NumberText, ANumberOutOfRangeIsInfiniteOnlyWhenItIsLarge) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::string zeros330(330, '0');
  const std::string zeros320(320, '0');
  struct Case {
    std::string text;
    double value;
  };
  const Case cases[] = {
      {"0." + zeros330 + "1e1", 0},
      {"-0." + zeros330 + "1e1", 0},
      {"0." + zeros330 + "1e20", 1e-311},
      {"0." + zeros320 + "1e1", 1e-320},
      {"0." + zeros330 + "1e340", 1e9},
      {"1" + zeros330, inf},
      {"0.01e400", inf},
      {"100e-400", 0},
      {"1" + zeros330 + "e-300", 1e30},
      {"0." + zeros330 + "e999", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tk::readNumber(c.text), c.value) << "reading '" << c.text.substr(0, 8) << "...'";
  }
}

TEST(NumberText, RoundsHalvesToTheEvenNeighbour) {
  const std::pair<double, int> cases[] = {{5.5, 6},
                                          {4.5, 4},
                                          {-2.5, -2},
                                          {-3.5, -4},
                                          {0.49, 0},
                                          {-0.5, 0},
                                          {2.51, 3},
                                          {500.0000000000009, 500},
                                          {-866.0254037844381, -866},
                                          {32767.4, 32767},
                                          {-32768.5, -32768}};
  for (auto [value, rounded] : cases) EXPECT_EQ(tk::roundHalfEven16(value), rounded) << value;
  for (double outside :
       {32767.5, -32769.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    EXPECT_THROW(tk::roundHalfEven16(outside), tk::RuntimeError) << outside;
  }
}

TEST(NumberText, SixteenBitArithmeticRaisesOverflowOutsideItsRange) {
  EXPECT_EQ(tk::add16(32766, 1), 32767);
  EXPECT_EQ(tk::sub16(-32767, 1), -32768);
  EXPECT_EQ(tk::mul16(1000, 2), 2000);
  try {
    tk::add16(32767, 1);
    FAIL() << "no overflow";
  } catch (const tk::RuntimeError& e) {
    EXPECT_EQ(e.number(), 6);
  }
  EXPECT_THROW(tk::sub16(-32768, 1), tk::RuntimeError);
  EXPECT_EQ(tk::decimalText(-7), "-7");
}

}  // namespace
