// Value extraction for the "-e"/"-m" markers and the command-line wake itself.
#include "app/CommandLine.h"

#include <algorithm>
#include <cstring>

#include "core/HostEntry.h"
#include "core/MagicPacketSender.h"
#include "framework/AfxString.h"
#include "framework/Mbcs.h"

namespace {

// The value at the start of text (white space before it already skipped), read as Windows reads
// one argument, since batch files and scheduled tasks quote values out of habit. A blank outside
// quotes ends it (a tab does not, as it never has here); trailing white space after the last
// quoted part is dropped, as it always was for an unquoted value.
std::string ReadQuotedValue(const std::string& text) {
  std::string value;
  size_t kept = 0;  // value[0, kept) is safe from trimming: it ends with quoted text
  bool quoted = false;
  size_t at = 0;
  while (at < text.size()) {
    if (text[at] == '\\') {
      // Backslashes are plain unless a quote follows: then each pair gives one, and an odd one
      // makes the quote a character. A double-byte character is stepped over whole below, so
      // its trail byte 0x5C never counts here.
      const size_t run = std::min(text.find_first_not_of('\\', at), text.size());
      const size_t count = run - at;
      const bool beforeQuote = run < text.size() && text[run] == '"';
      value.append(beforeQuote ? count / 2 : count, '\\');
      at = run;
      if (beforeQuote && count % 2 == 1) {
        value += '"';
        ++at;
      }
      if (quoted) kept = value.size();
      continue;
    }
    if (text[at] == '"') {
      if (quoted && at + 1 < text.size() && text[at + 1] == '"') {
        value += '"';  // "" within quotes stands for one quote
        ++at;
      } else {
        quoted = !quoted;
      }
      ++at;
      kept = value.size();
      continue;
    }
    if (!quoted && text[at] == ' ') break;
    const size_t length = mbcs::CharLength(text.data() + at, text.size() - at);
    value.append(text, at, length);
    at += length;
    if (quoted) kept = value.size();
  }
  CString tail(value.substr(kept));
  tail.TrimRight();
  return value.substr(0, kept) + tail.str();
}

}  // namespace

std::string ExtractMarkerValue(const char* commandLine, const char* marker) {
  CString line(commandLine);
  const int at = line.Find(marker);
  if (at < 0) return std::string();

  CString rest = line.Mid(at + static_cast<int>(std::strlen(marker)));
  rest.TrimLeft();
  const std::string value = ReadQuotedValue(rest.str());

  char field[kWakeTextField];
  CopyTextToField(field, value);
  return field;
}

bool ParseWakeCommandLine(const char* commandLine, WakeRequest& request) {
  const std::string macText = ExtractMarkerValue(commandLine, "-e");
  const std::string broadcastText = ExtractMarkerValue(commandLine, "-m");
  if (macText.empty() || broadcastText.empty()) return false;

  CopyTextToField(request.szMac, macText);
  CopyTextToField(request.szBroadcast, broadcastText);
  request.mac = ParseMacText(request.szMac);
  request.destination = ParseBroadcastText(request.szBroadcast);
  return true;
}

int PerformCommandLineWake(const WakeRequest& request) {
  CMagicPacketSender sender;
  return sender.SendMagicPacket(request.destination, request.mac) == 0 ? 0 : 1;
}
