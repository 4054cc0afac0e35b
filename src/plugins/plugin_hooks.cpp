#include "plugins/plugin_hooks.h"

void LoadPluginSelectionList() {}
void EnsurePluginFolder() {}
