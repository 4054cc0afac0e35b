#include "wipe/wipe_rules.h"

#include <cmath>
#include <cstdio>

namespace {
constexpr const char* kFillPrefix = "QvFill";
constexpr const char* kFillSuffix = ".zero";
constexpr size_t kFillDigits = 8;

bool SameLetters(const std::string& a, size_t at, const char* b) {
  for (size_t i = 0; b[i]; ++i) {
    if (at + i >= a.size()) return false;
    char c = a[at + i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    char d = b[i];
    if (d >= 'a' && d <= 'z') d = static_cast<char>(d - 'a' + 'A');
    if (c != d) return false;
  }
  return true;
}
}  // namespace

DriveKind DriveKindOf(unsigned driveType) {
  switch (driveType) {
    case 1: return DriveKind::NoRootDir;
    case 2: return DriveKind::Removable;
    case 3: return DriveKind::Fixed;
    case 4: return DriveKind::Remote;
    case 5: return DriveKind::CdRom;
    case 6: return DriveKind::RamDisk;
    default: return DriveKind::Unknown;
  }
}

std::string WipeRefusal(DriveKind kind, uint64_t freeBytes) {
  switch (kind) {
    case DriveKind::Fixed: break;
    case DriveKind::Remote: return "a network drive is not wiped";
    case DriveKind::CdRom: return "a CD drive is not wiped";
    case DriveKind::Removable: return "a removable drive is not wiped";
    case DriveKind::RamDisk: return "a RAM disk is not wiped";
    case DriveKind::NoRootDir: return "the drive does not exist";
    default: return "the drive is not a local fixed drive";
  }
  if (freeBytes < kWipeMinimumFreeBytes) return "less than 1 MiB is free";
  return {};
}

std::string FillFileName(uint32_t number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%08u", static_cast<unsigned>(number % 100000000u));
  return std::string(kFillPrefix) + digits + kFillSuffix;
}

bool IsFillFileName(const std::string& name) {
  const size_t prefix = std::string(kFillPrefix).size(), suffix = std::string(kFillSuffix).size();
  if (name.size() != prefix + kFillDigits + suffix) return false;
  if (!SameLetters(name, 0, kFillPrefix) || !SameLetters(name, prefix + kFillDigits, kFillSuffix))
    return false;
  for (size_t i = prefix; i < prefix + kFillDigits; ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  return true;
}

std::optional<double> SecondsLeft(uint64_t written, uint64_t target, double elapsedSeconds) {
  if (written == 0 || elapsedSeconds <= 0) return std::nullopt;
  if (written >= target) return 0.0;
  return static_cast<double>(target - written) * elapsedSeconds / static_cast<double>(written);
}

std::optional<double> SecondsLeft(const WipeProgress& p) {
  const int filesLeft = p.smallFiles < kMaxSmallFiles ? kMaxSmallFiles - p.smallFiles : 0;
  const double smallLeft = filesLeft * (p.smallFileSeconds > 0 ? p.smallFileSeconds : 0);
  if (p.largeFilesDone) return smallLeft;
  const auto largeLeft = SecondsLeft(p.written, p.target, p.seconds);
  if (!largeLeft) return std::nullopt;
  return *largeLeft + smallLeft;
}

uint64_t FillBound(uint64_t freeAtStart) { return freeAtStart + freeAtStart / 10 + (64ull << 20); }

std::string GroupedNumber(uint64_t value) {
  std::string digits = std::to_string(value), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string ClockText(double seconds) {
  // Beyond a thousand years is past reading anyway, and past what llround can hold.
  const long long s = seconds > 0 ? std::llround(seconds < 3e10 ? seconds : 3e10) : 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  return buf;
}

std::string WipeResultText(const WipeSummary& s) {
  switch (s.outcome) {
    case WipeOutcome::Completed: return "Completed";
    case WipeOutcome::Cancelled: return "Cancelled by operator";
    case WipeOutcome::Refused: return "Refused - " + s.detail;
    case WipeOutcome::Failed: return "Failed - " + s.detail;
  }
  return {};
}

std::string WipeDriveLine(const WipeSummary& s) { return "         Drive - " + s.drive; }
std::string WipeBytesLine(const WipeSummary& s) {
  return " Bytes written - " + GroupedNumber(s.bytesWritten);
}
std::string WipeTimeLine(const WipeSummary& s) {
  return "          Time - " + ClockText(s.seconds);
}
std::string WipeResultLine(const WipeSummary& s) { return "        Result - " + WipeResultText(s); }
