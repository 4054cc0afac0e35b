#pragma once
// The program's version texts, as the window, the report and the URL server show them, made
// from the one place the version resource and the setup take the version from.
#include "quorvane_version.h"

#define QV_STRINGIFY_(x) #x
#define QV_STRINGIFY(x) QV_STRINGIFY_(x)
inline constexpr const char* kVersion = QV_VERSION_TEXT;
inline constexpr const char* kVersionText = "Version - " QV_VERSION_TEXT;
inline constexpr const char* kBuildText = QV_BUILD_TEXT;
// The query of the version-check page: "?ver=5.01&bld=180".
inline constexpr const char* kVersionQuery =
    "?ver=" QV_VERSION_TEXT "&bld=" QV_STRINGIFY(QV_VERSION_BUILD);
inline constexpr const char* kCaptionTail =
    " - Purge Cache, Cookies and Tracks for Mozilla's FireFox";
// Vendor pages; the query texts are fixed, the addresses are ours to choose.
inline constexpr const char* kVendorHome = "https://quorvane.example.org/";
inline constexpr const char* kVendorVersionPage = "https://quorvane.example.org/verquorvane.php";
inline constexpr const char* kVendorMailPage = "https://quorvane.example.org/support.php";
