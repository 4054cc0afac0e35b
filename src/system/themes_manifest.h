#pragma once
#include <windows.h>

#include <string>

// Visual styles for the next start: the manifest beside the themed executable is either active
// (its name ends ".ManifesT", which Windows reads as ".manifest") or parked (".ManifesX").
enum ThemesState { kThemesNotAvailable = 0, kThemesOff = 1, kThemesOn = 2 };

std::string ActiveManifestFile();  // themed executable + ".ManifesT"
std::string ParkedManifestFile();  // themed executable + ".ManifesX"

// From the files, on NT-family systems; remembered as the current state.
ThemesState ReadThemesState();
ThemesState CurrentThemesState();
// "Support XP Themes?": hidden and disabled without a manifest, else checked when active.
void ShowThemesState(HWND box);
// Moves the manifest to the name the box asks for; failures leave the current state.
void ApplyThemesState(HWND box);
