// Filling HostEntry fields without ever writing past them.
#include "core/HostEntry.h"

#include "framework/Mbcs.h"

bool CopyTextToField(char* field, size_t size, const char* text, size_t length) {
  if (size == 0) return length == 0;
  const size_t kept = mbcs::FitPrefix(text, length, size - 1);
  std::memcpy(field, text, kept);
  field[kept] = '\0';
  return kept == length;
}
