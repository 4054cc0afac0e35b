#include "core/os_flags.h"

#include "core/command_line.h"
#include "core/text_util.h"

namespace {
OsFlags g_flags;
}

OsFlags ComputeOsFlags(const WindowsVersion& v, const std::vector<std::string>& args) {
  OsFlags f;
  if (HasSwitch(args, "PREVISTA")) return f;
  if (v.isNt && v.major == 6) {
    f.vista = true;
    f.win7 = v.minor >= 1;
    f.win8 = v.minor >= 2;
  } else if (v.isNt && v.major > 6) {
    f.vista = f.win7 = f.win8 = true;
  }
  if (HasSwitch(args, "TISVISTA")) f.vista = true;
  if (HasSwitch(args, "TISWIN7")) f.win7 = true;
  if (HasSwitch(args, "TISWIN8")) f.win8 = true;
  return f;
}

WindowsVersion ApplyRegistryVersion(WindowsVersion v, const std::string& versionText,
                                    const std::string& buildText) {
  if (!v.isNt) return v;
  size_t dot = versionText.find('.');
  // The dot must stand at the second character or later ("6.3", "10.0").
  if (dot == std::string::npos || dot < 1) return v;
  long long major, minor;
  if (!TryParseInt(versionText.substr(0, dot), major) ||
      !TryParseInt(versionText.substr(dot + 1), minor))
    return v;
  v.major = static_cast<int>(major);
  v.minor = static_cast<int>(minor);
  v.build = ParseIntOr(buildText, 0);
  return v;
}

const OsFlags& CurrentOsFlags() { return g_flags; }
void SetCurrentOsFlags(const OsFlags& flags) { g_flags = flags; }
