// The hand-made cell formatter against the printf formats it stands for, at
// every power of ten and its neighbours and at random values.
#include "views/cell_formats.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Formatted(CellFormat format, uint32_t value, int width = 0) {
  char out[48];
  FormatCellValue(format, value, width, out, sizeof out);
  return out;
}

std::string Printf(const char* format, uint32_t a, uint32_t b = 0) {
  char out[48];
  snprintf(out, sizeof out, format, a, b);
  return out;
}

TEST(CellFormats, DecimalFormatsMatchPrintfAtEveryLength) {
  std::vector<uint32_t> values = {0, 4294967295u};
  for (uint32_t p = 1; p <= 1000000000u; p *= 10) {
    values.insert(values.end(), {p - 1, p, p + 1, 2 * p, 9 * p + (p - 1)});
    if (p == 1000000000u) break;
  }
  std::mt19937 random(11);
  for (int i = 0; i < 2000; ++i) values.push_back(static_cast<uint32_t>(random()) >> (random() % 32));
  for (uint32_t v : values) {
    EXPECT_EQ(Formatted(CellFormat::kD1, v), Printf("%01u", v)) << v;
    EXPECT_EQ(Formatted(CellFormat::kD2, v), Printf("%02u", v)) << v;
    EXPECT_EQ(Formatted(CellFormat::kD3, v), Printf("%03u", v)) << v;
    EXPECT_EQ(Formatted(CellFormat::kD4, v), Printf("%04u", v)) << v;
    EXPECT_EQ(Formatted(CellFormat::kD9, v), Printf("%09u", v)) << v;
    EXPECT_EQ(Formatted(CellFormat::kNumber, v), Printf("%u", v)) << v;
    EXPECT_EQ(Formatted(CellFormat::kTenths, v), Printf("%03u.%01u", v / 10, v % 10)) << v;
    EXPECT_EQ(Formatted(CellFormat::kDraught, v), Printf("%02u.%01u", v / 10, v % 10)) << v;
    const int width = 1 + static_cast<int>(v % 32);
    const uint32_t low = width == 32 ? v : v & ((1u << width) - 1);
    const int32_t sign = width == 32 ? 0 : static_cast<int32_t>(low >> (width - 1));
    const int64_t extended = static_cast<int64_t>(low) - (sign ? (int64_t{1} << width) : 0);
    char text[48];
    snprintf(text, sizeof text, "%d", static_cast<int32_t>(width == 32 ? static_cast<int32_t>(v) : extended));
    EXPECT_EQ(Formatted(CellFormat::kSigned, v, width), text) << v << " in " << width << " bits";
  }
  for (uint32_t v = 0; v < 256; ++v) {
    char text[48];
    snprintf(text, sizeof text, "%03d", static_cast<int8_t>(v));
    EXPECT_EQ(Formatted(CellFormat::kRot, v), text) << v;
  }
}

}  // namespace
