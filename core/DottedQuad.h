// The one strict dotted-quad reader and writer, over numbers in host order (the first number in the high byte).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A strict dotted quad as one number in host order, the first number in the high byte
// ("192.0.2.1" gives 0xC0000201): exactly four decimal numbers 0..255 of one to three digits
// joined by single dots, nothing before or after. Nothing for any other text. (The lenient
// reading of a typed broadcast address is ParseBroadcastText's.)
std::optional<uint32_t> HostOrderFromDottedQuad(std::string_view text);

// The dotted quad of a number in host order, its high byte first (0xC0000201 gives "192.0.2.1").
std::string DottedQuadFromHostOrder(uint32_t address);
