// Fuzzes the command-line wake's value extraction and both address conversions with arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/CommandLine.h"
#include "core/AddressText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const char* line = text.c_str();  // stops at the first zero byte, as a command line would

  ParseMacText(line);
  ParseBroadcastText(line);

  WakeRequest request;
  if (ParseWakeCommandLine(line, request)) {
    // Every value fits its field with its terminator.
    if (std::strlen(request.szMac) > 127 || std::strlen(request.szBroadcast) > 127) __builtin_trap();
  }
  const std::string value = ExtractMarkerValue(line, "-e");
  if (value.size() > 127) __builtin_trap();
  return 0;
}
