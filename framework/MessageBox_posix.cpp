// Off Windows there is no box to show: the text goes to standard error and counts as acknowledged.
#include <cstdio>

#include "framework/MessageBox.h"

int ShowPlatformMessageBox(const MessageBoxRequest& request) {
  std::fprintf(stderr, "%s\n", request.text.c_str());
  return (request.type & MB_YESNO) == MB_YESNO ? IDNO : IDOK;
}
