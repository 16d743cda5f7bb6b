// The Windows program's entry point and its one application object.
#include "app/KestrinApp.h"
#include "framework/SystemLibrary_win32.h"

CKestrinApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  // Before anything can load a DLL: the program may well start from the Downloads folder.
  NarrowLibrarySearch();
  theApp.m_hInstance = instance;
  return AfxWinMain(commandLine);
}
