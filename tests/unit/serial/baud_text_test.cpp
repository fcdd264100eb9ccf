// Baud text conversion and COM port device paths.
#include "serial/baud_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

TEST(BaudRateFromText, SignThenDigitsUpToTheFirstOtherCharacter) {
  struct Case {
    const char* text;
    int32_t rate;
    const char* why;
  } cases[] = {
      {"38400", 38400, "plain digits"},
      {"4800 baud", 4800, "digits followed by a blank and letters"},
      {"96a00", 96, "stops at the first non-digit"},
      {"+9600", 9600, "plus sign ignored"},
      {"-9600", -9600, "minus sign negates"},
      {"", 0, "empty"},
      {"fast", 0, "no digits"},
      {" 9600", 0, "blanks are not skipped"},
      {"-", 0, "sign alone"},
      {"+-1", 0, "second sign is not a digit"},
      {"0004800", 4800, "leading zeros"},
      {"99999999999", INT32_MAX, "saturates instead of overflowing"},
      {"-99999999999", INT32_MIN, "saturates below too"},
  };
  for (const Case& c : cases) EXPECT_EQ(BaudRateFromText(c.text), c.rate) << c.why;
  EXPECT_EQ(BaudRateFromText(nullptr), 0);
}

TEST(LinkDevicePath, PlainNamesGetTheDevicePrefix) {
  char path[16];
  ASSERT_TRUE(LinkDevicePath("COM1", path, sizeof path));
  EXPECT_EQ(std::string(path), "\\\\.\\COM1");
  ASSERT_TRUE(LinkDevicePath("COM10", path, sizeof path));
  EXPECT_EQ(std::string(path), "\\\\.\\COM10");
  ASSERT_TRUE(LinkDevicePath("\\\\.\\COM12", path, sizeof path));
  EXPECT_EQ(std::string(path), "\\\\.\\COM12") << "a device path is kept as it is";
}

TEST(LinkDevicePath, EmptyOrTooLongNamesGiveNoPath) {
  char path[11];
  EXPECT_FALSE(LinkDevicePath("", path, sizeof path));
  EXPECT_EQ(path[0], '\0');
  EXPECT_FALSE(LinkDevicePath(nullptr, path, sizeof path));
  EXPECT_TRUE(LinkDevicePath("COM123", path, sizeof path)) << "10 characters and terminator fit";
  EXPECT_FALSE(LinkDevicePath("COM1234", path, sizeof path));
  EXPECT_EQ(path[0], '\0');
  EXPECT_FALSE(LinkDevicePath("COM1", path, 0));
}

}  // namespace
