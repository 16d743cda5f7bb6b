// Entry point of the Windows tests: runs in-process under wine32 or wine64, with message boxes always captured.
#include <gtest/gtest.h>

#include "framework/Platform.h"
#include "framework/CommonControls_win32.h"

#include "framework/MessageBox.h"

int main(int argc, char** argv) {
  comctl::InitCommonControls();
  // A box nobody answers would hang the run: any box a test did not expect fails it instead.
  ScopedOverride failOnUnexpectedBox(MessageBoxSeam(), [](const MessageBoxRequest& box) {
    ADD_FAILURE() << "unexpected message box: " << box.text;
    return IDCANCEL;
  });
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
