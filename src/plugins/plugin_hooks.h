#pragma once
// The plugin selection list, loaded at start-up.
void LoadPluginSelectionList();
void EnsurePluginFolder();
