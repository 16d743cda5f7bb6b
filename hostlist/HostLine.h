// One line of MacList.txt: how its fields are found, and how an entry's line is composed.
// A line here is its bytes without the line end; it may hold any byte, a zero byte included.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "core/HostEntry.h"

namespace hostlist {

// Index of the first comma in line at or after from that starts a character (a trail byte of a
// double-byte character is never a comma), or std::string_view::npos.
size_t FindComma(std::string_view line, size_t from = 0);

// The text before the first comma, the key a stored line is matched on; nullopt when the line
// has no comma.
std::optional<std::string_view> AddressField(std::string_view line);

// Fills entry from a line with at least two commas: the address field, the alias up to the
// second comma, and the rest with white space trimmed from both ends. Each text is cut at a zero
// byte and then to its field without splitting a double-byte character, so every field is
// terminated. Returns false, leaving entry as it was, for a line with fewer than two commas.
bool ParseHostLine(std::string_view line, HostEntry& entry);

// The entry's texts as "address,alias,broadcast" followed by CR LF. Each text is read up to its
// terminating zero, or the end of its field when it has none.
std::string ComposeHostLine(const HostEntry& entry);

}  // namespace hostlist
