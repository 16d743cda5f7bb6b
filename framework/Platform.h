// The Windows types, constants and headers the rest of the program names, from <windows.h> or, off Windows, our own.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#else
#include <cstdint>

typedef int BOOL;
typedef unsigned int UINT;
typedef void* HWND;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// Message box flags and answers, with their Windows values so tests read the same on every build.
#define MB_OK 0x00000000u
#define MB_YESNO 0x00000004u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONMASK 0x000000F0u
#define IDOK 1
#define IDNO 7
#endif
