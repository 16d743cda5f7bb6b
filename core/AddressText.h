// The two text-to-bytes conversions every wake uses: hardware-address text and dotted-quad broadcast text.
#pragma once
#include <array>

using MacAddress = std::array<unsigned char, 6>;   // byte 0 first, as the digit pairs run
using Ipv4Address = std::array<unsigned char, 4>;  // network order, first number first

// The six bytes a hardware-address text spells. Never fails. The separated forms other tools
// print are read whole: six pairs of hexadecimal digits joined by one and the same "-", ":" or
// blank ("00-a0-b1-c2-d3-e4", "00:A0:B1:C2:D3:E4", "00 a0 b1 c2 d3 e4") and three groups of four joined by "."
// ("00a0.b1c2.d3e4"), exactly so, nothing before or after. Any other text: its first 12
// characters read as six pairs of hexadecimal digits; reading stops at the first pair that is
// not a number, and unread bytes stay 0x00 ("00a0b" gives 00 A0 0B 00 00 00; "00:a0:b1" gives
// 00 00 00 00 00 00). Each pair is read as a %x conversion would: leading white space, a sign
// and a 0x prefix are accepted.
MacAddress ParseMacText(const char* text);

// Up to four dot-separated decimal numbers, each kept as its low 8 bits. Never fails:
// numbers that are missing give 0xFF ("" gives 255.255.255.255, "192.168.1" gives C0 A8 01 FF).
// Each number is read as a %d conversion would (white space and a sign first; no octal).
Ipv4Address ParseBroadcastText(const char* text);
