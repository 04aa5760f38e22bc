#include "platform/gdi/font_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "platform/gdi/font_metrics.h"
#include "platform/gdi/font_utf8.h"

namespace {

// Vertical metrics of Times New Roman and of its substitute Liberation Serif.
constexpr int kUnitsPerEm = 2048;
constexpr int kWinAscent = 1825;
constexpr int kWinDescent = 443;

TEST(FontMetricsTest, ScaleFontUnitsRoundsHalvesAwayFromZero) {
  struct Case {
    int units, ppem, units_per_em, expected;
  };
  const Case cases[] = {
      {1825, 27, 2048, 24},                   // 24.06
      {443, 27, 2048, 6},                     // 5.84
      {1024, 1, 2048, 1},                     // 0.5
      {1023, 1, 2048, 0},                     // 0.4995
      {-1024, 1, 2048, -1},                   // -0.5
      {443, 135, 2048, 29},                   // 29.20
      {0, 100, 2048, 0},    {100, 10, 0, 0},  // no em: nothing to scale by
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScaleFontUnits(c.units, c.ppem, c.units_per_em), c.expected)
        << c.units << " units at " << c.ppem << " ppem, " << c.units_per_em << " per em";
  }
}

TEST(FontMetricsTest, CellHeightGivesTruncatedPixelSizeAndRoundedExtents) {
  struct Case {
    int height;
    FontCellMetrics expected;
  };
  const Case cases[] = {
      {30, {27, 24, 6}},      // the overlay font
      {90, {81, 72, 18}},     // the brand screen
      {150, {135, 120, 29}},  // the big number font: 135.4 truncates, the cell is one short
      {16, {14, 12, 3}},
      {1, {1, 1, 0}},  // 2048 / 2268 truncates to 0; the size is at least 1
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MetricsForCellHeight(c.height, kUnitsPerEm, kWinAscent, kWinDescent), c.expected)
        << "height " << c.height;
  }
}

TEST(FontMetricsTest, CellHeightStepsDownWhenRoundingOvershoots) {
  // 3 ppem gives an ascent and descent of 1.5 each, both rounded up to a cell of 4.
  EXPECT_EQ(MetricsForCellHeight(3, 4, 2, 2), (FontCellMetrics{2, 1, 1}));
  EXPECT_EQ(MetricsForCellHeight(4, 4, 2, 2), (FontCellMetrics{4, 2, 2}));
}

TEST(FontMetricsTest, NoVerticalExtentGivesNoSize) {
  EXPECT_EQ(MetricsForCellHeight(30, 2048, 0, 0), FontCellMetrics{});
  EXPECT_EQ(MetricsForCellHeight(30, 0, 1825, 443), FontCellMetrics{});
}

TEST(FontMetricsTest, EmHeightIsThePixelSize) {
  EXPECT_EQ(MetricsForEmHeight(27, kUnitsPerEm, kWinAscent, kWinDescent),
            (FontCellMetrics{27, 24, 6}));
  EXPECT_EQ(MetricsForEmHeight(0, kUnitsPerEm, kWinAscent, kWinDescent).ppem, 1);
}

TEST(FontMetricsTest, HorizontalScaleMakesTheAverageWidthTheRequestedOne) {
  constexpr std::int64_t kOne = 0x10000;
  // Liberation Serif Bold's average of 1180 units is round(15.56) = 16 pixels at 27 ppem.
  EXPECT_EQ(HorizontalScaleForWidth(16, 1180, 27, 2048), kOne);
  EXPECT_EQ(HorizontalScaleForWidth(32, 1180, 27, 2048), 2 * kOne);
  EXPECT_EQ(HorizontalScaleForWidth(12, 1180, 27, 2048), 3 * kOne / 4);
  EXPECT_EQ(HorizontalScaleForWidth(0, 1180, 27, 2048), kOne);  // the font's own width
  EXPECT_EQ(HorizontalScaleForWidth(12, 0, 27, 2048), kOne);    // no stated average
}

TEST(FontUtf8Test, DecodesWellFormedText) {
  EXPECT_EQ(DecodeUtf8ForDrawing(""), U"");
  EXPECT_EQ(DecodeUtf8ForDrawing("12/345"), U"12/345");
  EXPECT_EQ(DecodeUtf8ForDrawing("\xC3\xA9t\xC3\xA9"), U"\u00E9t\u00E9");
  EXPECT_EQ(DecodeUtf8ForDrawing("\xE2\x82\xAC"), U"\u20AC");
  EXPECT_EQ(DecodeUtf8ForDrawing("\xF0\x9F\x93\xB7"), U"\U0001F4F7");
  EXPECT_EQ(DecodeUtf8ForDrawing("\xF4\x8F\xBF\xBF"), U"\U0010FFFF");
}

TEST(FontUtf8Test, EachIllFormedSubsequenceBecomesOneReplacementCharacter) {
  struct Case {
    const char* bytes;
    std::u32string expected;
    const char* what;
  };
  const Case cases[] = {
      {"\xFF", U"\uFFFD", "byte that never starts a sequence"},
      {"a\x80z", U"a\uFFFDz", "stray continuation byte"},
      {"\xC3", U"\uFFFD", "truncated at the end"},
      {"\xE2\x82z", U"\uFFFDz", "truncated before a letter"},
      {"\xC0\xAF", U"\uFFFD\uFFFD", "overlong two-byte form"},
      {"\xE0\x80\xAF", U"\uFFFD\uFFFD\uFFFD", "overlong three-byte form"},
      {"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD", "surrogate"},
      {"\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD", "above U+10FFFF"},
      {"\xF0\x9F\x93", U"\uFFFD", "four-byte form cut short"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeUtf8ForDrawing(c.bytes), c.expected) << c.what;
  }
}

// Where a mask has ink: its bounding box and how many pixels are fully covered.
struct Ink {
  int left = -1, top = -1, right = -1, bottom = -1;  // inclusive; -1 when there is none
  int full = 0;
  long total = 0;  // sum of the coverage
};

Ink InkOf(const TextMask& mask) {
  Ink ink;
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      const int c = mask.coverage[static_cast<std::size_t>(y) * mask.width + x];
      if (c == 0) continue;
      ink.left = ink.left < 0 ? x : std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = ink.top < 0 ? y : ink.top;
      ink.bottom = y;
      ink.full += c == 255 ? 1 : 0;
      ink.total += c;
    }
  }
  return ink;
}

std::shared_ptr<const LoadedFont> Times(int height, int width, int weight = 700,
                                        bool italic = false) {
  return FontEngine::Instance().Load({"Times New Roman", height, width, weight, italic});
}

TextMask Render(const LoadedFont& font, std::string_view text) {
  return FontEngine::Instance().Render(font, text);
}

void ExpectWellFormed(const TextMask& mask, const LoadedFont& font) {
  EXPECT_EQ(mask.height, FontEngine::CellHeight(font));
  EXPECT_EQ(mask.ascent, FontEngine::Ascent(font));
  EXPECT_EQ(mask.coverage.size(), static_cast<std::size_t>(mask.width) * mask.height);
}

TEST(FontEngineTest, OverlayFontCellFitsTheRequestedHeight) {
  const auto font = Times(30, 12);
  ASSERT_NE(font, nullptr);
  EXPECT_LE(FontEngine::CellHeight(*font), 30);
  EXPECT_GE(FontEngine::CellHeight(*font), 28);
  EXPECT_GE(FontEngine::Ascent(*font), 20);
  EXPECT_LE(FontEngine::Ascent(*font), 27);
}

TEST(FontEngineTest, DigitSitsOnTheBaselineWithSolidStrokes) {
  const auto font = Times(30, 12);
  ASSERT_NE(font, nullptr);
  const TextMask mask = Render(*font, "0");
  ExpectWellFormed(mask, *font);
  const Ink ink = InkOf(mask);
  ASSERT_GE(ink.left, 0) << "no ink";
  EXPECT_LE(ink.bottom, mask.ascent) << "a digit has no descender";
  EXPECT_GE(ink.bottom, mask.ascent - 2) << "a digit reaches down to the baseline";
  EXPECT_GT(mask.ascent - ink.top, mask.ascent / 2) << "a digit is taller than half the ascent";
  EXPECT_GT(ink.full, 10);
}

TEST(FontEngineTest, DescenderHangsBelowTheBaseline) {
  const auto font = Times(30, 12);
  ASSERT_NE(font, nullptr);
  const Ink ink = InkOf(Render(*font, "g"));
  EXPECT_GT(ink.bottom, FontEngine::Ascent(*font) + 2);
  EXPECT_LT(ink.bottom, FontEngine::CellHeight(*font));
}

TEST(FontEngineTest, WidthRequestScalesTheTextHorizontally) {
  const auto narrow = Times(30, 12);
  const auto wide = Times(30, 24);
  ASSERT_NE(narrow, nullptr);
  ASSERT_NE(wide, nullptr);
  const TextMask a = Render(*narrow, "12/345");
  const TextMask b = Render(*wide, "12/345");
  EXPECT_EQ(a.height, b.height);
  EXPECT_GT(b.width, a.width);
  EXPECT_NEAR(b.width, 2 * a.width, 3);
}

TEST(FontEngineTest, LargeNumberFontRenders) {
  const auto font = Times(150, 132);
  ASSERT_NE(font, nullptr);
  EXPECT_LE(FontEngine::CellHeight(*font), 150);
  EXPECT_GE(FontEngine::CellHeight(*font), 147);
  const TextMask mask = Render(*font, "0");
  ExpectWellFormed(mask, *font);
  const Ink ink = InkOf(mask);
  EXPECT_GT(ink.bottom - ink.top, 80);
  EXPECT_GT(ink.full, 1000);
  // A digit is about as wide as the requested average character.
  EXPECT_GT(mask.width, 132 / 2);
  EXPECT_LT(mask.width, 132 * 3 / 2);
}

TEST(FontEngineTest, BrandScreenFontRenders) {
  const auto font = Times(90, 40, 400);
  ASSERT_NE(font, nullptr);
  EXPECT_LE(FontEngine::CellHeight(*font), 90);
  EXPECT_GE(FontEngine::CellHeight(*font), 87);
  const TextMask mask = Render(*font, "Quenmira");
  ExpectWellFormed(mask, *font);
  EXPECT_GT(InkOf(mask).full, 100);
  EXPECT_GT(mask.width, 8 * 40 / 2);
  EXPECT_LT(mask.width, 8 * 40 * 3 / 2);
}

TEST(FontEngineTest, EmptyTextGivesAZeroWidthCell) {
  const auto font = Times(30, 12);
  ASSERT_NE(font, nullptr);
  const TextMask mask = Render(*font, "");
  EXPECT_EQ(mask.width, 0);
  EXPECT_EQ(mask.height, FontEngine::CellHeight(*font));
  EXPECT_EQ(mask.ascent, FontEngine::Ascent(*font));
  EXPECT_TRUE(mask.coverage.empty());
}

TEST(FontEngineTest, InvalidUtf8DrawsReplacementCharacters) {
  const auto font = Times(30, 12);
  ASSERT_NE(font, nullptr);
  const TextMask invalid = Render(*font, "\xFF\xC3");
  const TextMask replaced = Render(*font, "\xEF\xBF\xBD\xEF\xBF\xBD");
  ExpectWellFormed(invalid, *font);
  EXPECT_GT(invalid.width, 0);
  EXPECT_EQ(invalid.width, replaced.width);
  EXPECT_EQ(invalid.coverage, replaced.coverage);
}

TEST(FontEngineTest, MissingCharacterTakesTheNotdefGlyphsAdvance) {
  const auto font = Times(30, 12);
  ASSERT_NE(font, nullptr);
  const TextMask mask = Render(*font, "\xEE\x80\x80");  // U+E000, private use: not in the font
  ExpectWellFormed(mask, *font);
  EXPECT_GT(mask.width, 0);
}

TEST(FontEngineTest, DigitsHaveEqualAdvances) {
  const auto font = Times(30, 12);
  ASSERT_NE(font, nullptr);
  const int ones = Render(*font, "1111").width;
  EXPECT_EQ(ones, Render(*font, "0000").width);
  EXPECT_EQ(ones, Render(*font, "8888").width);
  // Advances add up: four digits are four times one, give or take the final rounding.
  EXPECT_NEAR(ones, 4 * Render(*font, "1").width, 2);
}

TEST(FontEngineTest, BoldDrawsHeavierStrokes) {
  const auto regular = Times(30, 0, 400);
  const auto bold = Times(30, 0, 700);
  ASSERT_NE(regular, nullptr);
  ASSERT_NE(bold, nullptr);
  EXPECT_GT(InkOf(Render(*bold, "HHHH")).total, InkOf(Render(*regular, "HHHH")).total * 6 / 5);
}

TEST(FontEngineTest, ItalicLeansRight) {
  const auto font = Times(60, 0, 400, true);
  ASSERT_NE(font, nullptr);
  const TextMask mask = Render(*font, "l");
  const Ink ink = InkOf(mask);
  ASSERT_GE(ink.left, 0);
  // Mean ink column of the top and bottom quarter of the stroke.
  const auto mean_column = [&](int from, int to) {
    long sum = 0, weight = 0;
    for (int y = from; y < to; ++y) {
      for (int x = 0; x < mask.width; ++x) {
        const int c = mask.coverage[static_cast<std::size_t>(y) * mask.width + x];
        sum += static_cast<long>(c) * x;
        weight += c;
      }
    }
    return weight ? static_cast<double>(sum) / weight : 0.0;
  };
  const int quarter = (ink.bottom - ink.top) / 4;
  EXPECT_GT(mean_column(ink.top, ink.top + quarter),
            mean_column(ink.bottom - quarter, ink.bottom) + 2);
}

TEST(FontEngineTest, SameRequestGivesTheSameFont) {
  EXPECT_EQ(Times(30, 12), Times(30, 12));
  EXPECT_NE(Times(30, 12), Times(31, 12));
  EXPECT_EQ(Times(30, 12, 700), Times(30, 12, 800));  // both bold
}

TEST(FontEngineTest, UnknownFaceFallsBackToAnInstalledFont) {
  const auto font = FontEngine::Instance().Load({"No Such Face Anywhere", 30, 0, 400, false});
  ASSERT_NE(font, nullptr);
  EXPECT_LE(FontEngine::CellHeight(*font), 30);
  EXPECT_GT(InkOf(Render(*font, "x")).total, 0);
}

TEST(FontEngineTest, DefaultAndEmHeights) {
  const auto by_default = Times(0, 0, 400);
  ASSERT_NE(by_default, nullptr);
  EXPECT_LE(FontEngine::CellHeight(*by_default), 16);
  EXPECT_GE(FontEngine::CellHeight(*by_default), 14);
  // A negative height is the em height, so the cell is taller than it.
  const auto em = Times(-27, 0, 400);
  ASSERT_NE(em, nullptr);
  EXPECT_EQ(FontEngine::CellHeight(*em), 30);
}

TEST(FontEngineTest, OversizedRequestIsRefused) {
  EXPECT_EQ(Times(100000, 0), nullptr);
  EXPECT_EQ(Times(30, -100000), nullptr);
  EXPECT_EQ(Times(30, std::numeric_limits<int>::min()), nullptr);
}

TEST(FontEngineTest, InkStaysInsideTheMaskAtEverySize) {
  // Accents above capitals and descenders reach past small cells; the clipping keeps them in.
  for (int height = 1; height <= 40; ++height) {
    for (const bool italic : {false, true}) {
      const auto font = Times(height, height / 3, 700, italic);
      ASSERT_NE(font, nullptr) << height;
      const TextMask mask = Render(*font, "\xC3\x89\xC3\x85gjy|_\xE2\x80\x94");
      ExpectWellFormed(mask, *font);
    }
  }
}

TEST(FontEngineTest, VeryLongTextIsCutOffAtTheMaximumWidth) {
  const auto font = Times(150, 132);
  ASSERT_NE(font, nullptr);
  const TextMask mask = Render(*font, std::string(2000, '8'));
  ExpectWellFormed(mask, *font);
  EXPECT_LE(mask.width, 32767);
  EXPECT_GT(mask.width, 30000);
}

TEST(FontEngineTest, ConcurrentRenderingGivesIdenticalMasks) {
  // A size no other test loads, so both threads fill the glyph cache at the same time.
  const std::vector<std::string> texts = {"12/345", "0", "Quenmira", "\xC3\xA9t\xC3\xA9 2024",
                                          "g|j"};
  std::vector<std::vector<TextMask>> results(2);
  std::vector<std::thread> threads;
  for (auto& result : results) {
    threads.emplace_back([&texts, &result] {
      const auto font = Times(37, 15);
      if (!font) return;
      for (int round = 0; round < 20; ++round) {
        for (const std::string& text : texts) result.push_back(Render(*font, text));
      }
    });
  }
  for (auto& thread : threads) thread.join();

  const auto font = Times(37, 15);
  ASSERT_NE(font, nullptr);
  for (const auto& result : results) {
    ASSERT_EQ(result.size(), 20 * texts.size());
    for (std::size_t i = 0; i < result.size(); ++i) {
      const TextMask expected = Render(*font, texts[i % texts.size()]);
      EXPECT_EQ(result[i].width, expected.width) << texts[i % texts.size()];
      EXPECT_EQ(result[i].coverage, expected.coverage) << texts[i % texts.size()];
    }
  }
}

}  // namespace
