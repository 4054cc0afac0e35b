#pragma once
#include <windows.h>
#include <wininet.h>

// The WinINet cache's container enumeration, which wininet.dll exports and MinGW's wininet.h
// lacks: declared here once, for every user.
struct QvCacheContainerInfoA {
  DWORD dwCacheVersion;
  LPSTR lpszName;
  LPSTR lpszCachePrefix;
  LPSTR lpszVolumeLabel;
  LPSTR lpszVolumeTitle;
};
extern "C" {
__declspec(dllimport) HANDLE WINAPI
    FindFirstUrlCacheContainerA(LPDWORD, QvCacheContainerInfoA*, LPDWORD, DWORD);
__declspec(dllimport) BOOL WINAPI
    FindNextUrlCacheContainerA(HANDLE, QvCacheContainerInfoA*, LPDWORD);
}
