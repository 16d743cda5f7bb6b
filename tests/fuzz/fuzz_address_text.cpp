// Fuzzes the two address conversions on their own, where every byte of input reaches the readers.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/AddressText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ParseMacText(text.c_str());
  ParseBroadcastText(text.c_str());
  return 0;
}
