// The two address conversions, over the edge cases a user's list or command line can hold.
#include <gtest/gtest.h>

#include "core/AddressText.h"

namespace {

struct MacCase {
  const char* text;
  MacAddress expected;
};

TEST(ParseMacText, ConversionTable) {
  const MacCase cases[] = {
      {"00a0b1c2d3e4", {0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4}},
      {"00A0B1C2D3E4", {0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4}},
      {"00a0b1c2d3e4ff", {0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4}},
      {"00a0b1", {0x00, 0xA0, 0xB1, 0x00, 0x00, 0x00}},
      {"00a0b", {0x00, 0xA0, 0x0B, 0x00, 0x00, 0x00}},
      {"", {0, 0, 0, 0, 0, 0}},
      {"00a0zzc2d3e4", {0x00, 0xA0, 0x00, 0x00, 0x00, 0x00}},
      {"00:a0:b1:c2:d3:e4", {0, 0, 0, 0, 0, 0}},
      // Dashes take digit positions and read as signs: a wrong address, never a crash.
      {"00-a0-b1-c2-d3-e4", {0x00, 0xF6, 0x00, 0x4F, 0xF4, 0x02}},
      {"FFFFFFFFFFFF", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"0", {0x00, 0, 0, 0, 0, 0}},
      {"\xff\xfe\x81\x40", {0, 0, 0, 0, 0, 0}},
  };
  for (const MacCase& c : cases) {
    EXPECT_EQ(ParseMacText(c.text), c.expected) << "text: \"" << c.text << "\"";
  }
}

struct BroadcastCase {
  const char* text;
  Ipv4Address expected;
};

TEST(ParseBroadcastText, ConversionTable) {
  const BroadcastCase cases[] = {
      {"192.168.10.255", {0xC0, 0xA8, 0x0A, 0xFF}},
      {"", {0xFF, 0xFF, 0xFF, 0xFF}},
      {"abc", {0xFF, 0xFF, 0xFF, 0xFF}},
      {"192.168.1", {0xC0, 0xA8, 0x01, 0xFF}},
      {"10.0.0.300", {0x0A, 0x00, 0x00, 0x2C}},
      {"010.1.1.1", {0x0A, 0x01, 0x01, 0x01}},
      {"192.168.10.255 extra", {0xC0, 0xA8, 0x0A, 0xFF}},
      {" 127.0.0.1", {0x7F, 0x00, 0x00, 0x01}},
      {"-1.0.0.1", {0xFF, 0x00, 0x00, 0x01}},
      {"1..2.3", {0x01, 0xFF, 0xFF, 0xFF}},
      // Far past int: reduced modulo 2^32 on every build instead of undefined behaviour.
      {"99999999999999999999.1.1.1", {0xFF, 0x01, 0x01, 0x01}},
  };
  for (const BroadcastCase& c : cases) {
    EXPECT_EQ(ParseBroadcastText(c.text), c.expected) << "text: \"" << c.text << "\"";
  }
}

}  // namespace
