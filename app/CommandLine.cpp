// Value extraction for the "-e"/"-m" markers and the command-line wake itself.
#include "app/CommandLine.h"

#include <cstring>

#include "core/HostEntry.h"
#include "core/MagicPacketSender.h"
#include "framework/AfxString.h"

std::string ExtractMarkerValue(const char* commandLine, const char* marker) {
  CString line(commandLine);
  const int at = line.Find(marker);
  if (at < 0) return std::string();

  CString value = line.Mid(at + static_cast<int>(std::strlen(marker)));
  value.TrimRight();
  value.TrimLeft();
  const int blank = value.Find(' ');
  if (blank >= 0) value = value.Left(blank);
  value.TrimRight();
  value.TrimLeft();

  char field[kWakeTextField];
  CopyTextToField(field, value.str());
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
