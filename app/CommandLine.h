// The command-line wake: the "-e"/"-m" values and the one packet they ask for.
#pragma once
#include <string>

#include "core/AddressText.h"

constexpr size_t kWakeTextField = 128;  // each value holds at most 127 bytes and its terminator

// The first blank-delimited word after the first occurrence of marker (case-sensitive,
// anywhere in the text, also inside a word). White space between the marker and the word
// is skipped; a tab does not end the word, a blank does. Double quotes are read as Windows
// reads an argument: the text between them is the value's, blanks included, and the quotes
// go (backslashes before a quote and "" within quotes as Windows takes them); white space
// after the last quoted part is dropped. Empty when the marker is absent.
// A word of 128 bytes or more is cut to 127 bytes, never splitting a double-byte character.
std::string ExtractMarkerValue(const char* commandLine, const char* marker);

// What a command line asks to wake.
struct WakeRequest {
  char szMac[kWakeTextField] = "";
  char szBroadcast[kWakeTextField] = "";
  MacAddress mac = {0, 0, 0, 0, 0, 0};
  Ipv4Address destination = {0xFF, 0xFF, 0xFF, 0xFF};
};

// True, with request filled, when both the "-e" and the "-m" values are non-empty;
// false means the program runs its window instead.
bool ParseWakeCommandLine(const char* commandLine, WakeRequest& request);

// Sends the request's one packet and returns the process's exit code: 0 when the datagram was
// sent, 1 when it was not (after the sender's message box, if the failing step shows one), so a
// batch file or a scheduled task can tell.
int PerformCommandLineWake(const WakeRequest& request);
