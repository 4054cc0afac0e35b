#pragma once
// What start-up does for the plugins: the plugin folder and the selection list.
void EnsurePluginFolder();
void LoadPluginSelectionList();
