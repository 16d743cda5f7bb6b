// The file name, description, arguments and link path of one host's desktop shortcut.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/HostEntry.h"

namespace shortcut {

// A link path must fit a MAX_PATH (260) buffer with its terminator; longer ones get no shortcut.
constexpr size_t kMaxLinkPathBytes = 259;

// The texts of one shortcut, all in the ANSI code page. A host without an alias goes by its
// hardware-address text in the name and the description, so such hosts do not share one name.
struct ShortcutTexts {
  std::string fileName;     // "\Kestrin <alias>.lnk", the alias made fit for a file name
  // "\Kestrin <alias> (<address>).lnk" ("\Kestrin (<address>).lnk" without an alias), the
  // texts made fit: the name when fileName is another host's (see ChooseFileName)
  std::string addressFileName;
  std::string description;  // "<alias> を起動する": the alias exactly as stored, then the suffix
  std::string arguments;    // "-e <mac> -m <broadcast>", as ShortcutArguments makes them
};

// A stored text (alias or hardware address) as a part of a file name. Each character a file name cannot hold (\ / : * ? " < > |
// and the control characters 0x01-0x1F) becomes "_", and so does a lead byte that starts no
// whole character, since the system would read it together with what follows. Double-byte
// characters stay whole: a trail byte 0x5C (as in "ソ") is not a backslash.
// Because the name is always "Kestrin <alias>.lnk", no alias can make it "." or "..", a device
// name, or a name that ends in a dot or a blank (which the system would strip), and with the
// separators replaced no alias can leave the folder: only the length can still refuse it.
std::string FileNameSafeText(const std::string& text);

// "\Kestrin <alias>.lnk" with the alias made safe as above.
std::string ShortcutFileName(const std::string& alias);

// "-e <mac> -m <broadcast>", the texts exactly as stored, never cut; a broadcast text that is
// empty or blank is given as 255.255.255.255, where the Wake button sends for it, since the
// command line would find no value after "-m" and open the window instead of waking.
std::string ShortcutArguments(const std::string& macText, const std::string& broadcastText);

// The texts for host, from its fields as stored; the description is the alias (the address text
// without one) followed by descriptionSuffix, the string table's " を起動する" in the ANSI code page.
ShortcutTexts ComposeShortcutTexts(const HostEntry& host, const std::string& descriptionSuffix);

// Reads the arguments of the shortcut file of that name on the desktop: false when there is no
// such file or it cannot be read as a shortcut.
using ExistingArgumentsReader = std::function<bool(const std::string& fileName, std::string* arguments)>;

// The name host's shortcut takes, so that no host's shortcut replaces another's: texts.fileName,
// unless a host selected before it has taken that name (namesTaken, compared as the file system
// compares names: single-byte letters in either case) or the desktop holds a shortcut of that
// name that wakes another host (arguments other than texts.arguments); then
// texts.addressFileName. A file there that is no shortcut, or one for the same host, is replaced.
// readExisting is asked only when no earlier host took the name.
std::string ChooseFileName(const ShortcutTexts& texts, const std::vector<std::string>& namesTaken,
                           const ExistingArgumentsReader& readExisting);

// folder followed by fileName (which begins with a backslash; a folder that already ends in a
// backslash, such as a drive's root, does not get a second one). Returns "" when the folder is
// empty or the path would be longer than kMaxLinkPathBytes.
std::string ShortcutLinkPath(const std::string& folder, const std::string& fileName);

}  // namespace shortcut
