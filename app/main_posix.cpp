// The native Linux front end: the same command-line wake, without the window.
#include <cstdio>
#include <string>

#include "app/CommandLine.h"

int main(int argc, char** argv) {
  // Rebuild the text after the program name as Windows hands it over: arguments joined by blanks.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }

  WakeRequest request;
  if (!ParseWakeCommandLine(commandLine.c_str(), request)) {
    std::fprintf(stderr,
                 "usage: kestrin -e MAC -m BROADCAST\n"
                 "The window needs Windows (or Wine): run Kestrin.exe there.\n");
    return 2;
  }
  // A socket failure has already been written to standard error by the sender.
  return PerformCommandLineWake(request);
}
