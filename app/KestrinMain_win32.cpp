// The Windows program's entry point and its one application object.
#include "app/KestrinApp.h"

CKestrinApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  theApp.m_hInstance = instance;
  return AfxWinMain(commandLine);
}
