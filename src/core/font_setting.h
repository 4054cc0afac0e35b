#pragma once
#include <windows.h>

#include "core/option_set.h"

// A stored font (name, point size, style bits) as the system describes fonts, and back.
LOGFONTA LogFontOf(const FontSetting& font);
FontSetting FontSettingOf(const LOGFONTA& font, int pointSize);
