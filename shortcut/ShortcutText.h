// The file name, description, arguments and link path of one host's desktop shortcut.
#pragma once
#include <cstddef>
#include <string>

#include "core/HostEntry.h"

namespace shortcut {

// A link path must fit a MAX_PATH (260) buffer with its terminator; longer ones get no shortcut.
constexpr size_t kMaxLinkPathBytes = 259;

// The texts of one shortcut, all in the ANSI code page.
struct ShortcutTexts {
  std::string fileName;     // "\Kestrin <alias>.lnk", the alias made fit for a file name
  std::string description;  // "<alias> を起動する": the alias exactly as stored, then the suffix
  std::string arguments;    // "-e <mac> -m <broadcast>", as ShortcutArguments makes them
};

// The alias as a part of a file name. Each character a file name cannot hold (\ / : * ? " < > |
// and the control characters 0x01-0x1F) becomes "_", and so does a lead byte that starts no
// whole character, since the system would read it together with what follows. Double-byte
// characters stay whole: a trail byte 0x5C (as in "ソ") is not a backslash.
// Because the name is always "Kestrin <alias>.lnk", no alias can make it "." or "..", a device
// name, or a name that ends in a dot or a blank (which the system would strip), and with the
// separators replaced no alias can leave the folder: only the length can still refuse it.
std::string FileNameSafeAlias(const std::string& alias);

// "\Kestrin <alias>.lnk" with the alias made safe as above.
std::string ShortcutFileName(const std::string& alias);

// "-e <mac> -m <broadcast>", the texts exactly as stored, never cut; a broadcast text that is
// empty or blank is given as 255.255.255.255, where the Wake button sends for it, since the
// command line would find no value after "-m" and open the window instead of waking.
std::string ShortcutArguments(const std::string& macText, const std::string& broadcastText);

// The three texts for host, from its fields as stored; the description is the alias followed by
// descriptionSuffix, the string table's " を起動する" in the ANSI code page.
ShortcutTexts ComposeShortcutTexts(const HostEntry& host, const std::string& descriptionSuffix);

// folder followed by fileName (which begins with a backslash; a folder that already ends in a
// backslash, such as a drive's root, does not get a second one). Returns "" when the folder is
// empty or the path would be longer than kMaxLinkPathBytes.
std::string ShortcutLinkPath(const std::string& folder, const std::string& fileName);

}  // namespace shortcut
