// Strict dotted quads to and from host-order numbers.
#include "core/DottedQuad.h"

std::optional<uint32_t> HostOrderFromDottedQuad(std::string_view text) {
  uint32_t address = 0;
  size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0 && (at >= text.size() || text[at++] != '.')) return std::nullopt;
    uint32_t number = 0;
    size_t digits = 0;
    for (; at < text.size() && digits < 4 && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
      number = number * 10 + static_cast<uint32_t>(text[at] - '0');
    }
    if (digits == 0 || digits > 3 || number > 255) return std::nullopt;
    address = (address << 8) | number;
  }
  if (at != text.size()) return std::nullopt;
  return address;
}

std::string DottedQuadFromHostOrder(uint32_t address) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    if (shift != 24) text += '.';
    text += std::to_string((address >> shift) & 0xFFu);
  }
  return text;
}
