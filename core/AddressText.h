// The address texts: the two lenient conversions every wake uses (hardware address, broadcast) and the one strict dotted-quad reader and writer.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using MacAddress = std::array<unsigned char, 6>;   // byte 0 first, as the digit pairs run
using Ipv4Address = std::array<unsigned char, 4>;  // network order, first number first

// The six bytes a hardware-address text spells. Never fails. The separated forms other tools
// print are read whole: six pairs of hexadecimal digits joined by one and the same "-" or ":"
// ("00-a0-b1-c2-d3-e4", "00:A0:B1:C2:D3:E4") and three groups of four joined by "."
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

// A strict dotted quad as one number in host order, the first number in the high byte
// ("192.0.2.1" gives 0xC0000201): exactly four decimal numbers 0..255 of one to three digits
// joined by single dots, nothing before or after. Nothing for any other text.
std::optional<uint32_t> HostOrderFromDottedQuad(std::string_view text);

// The dotted quad of a number in host order, its high byte first (0xC0000201 gives "192.0.2.1").
std::string DottedQuadFromHostOrder(uint32_t address);
