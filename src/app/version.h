#pragma once
// The program's version texts, as the window, the report and the URL server show them.
inline constexpr const char* kVersion = "5.01";
inline constexpr const char* kVersionText = "Version - 5.01";
inline constexpr const char* kBuildText = "Build 5.1.0.180";
inline constexpr const char* kCaptionTail =
    " - Purge Cache, Cookies and Tracks for Mozilla's FireFox";
// Vendor pages; the query texts are fixed, the addresses are ours to choose.
inline constexpr const char* kVendorHome = "https://quorvane.example.org/";
inline constexpr const char* kVendorVersionPage = "https://quorvane.example.org/verquorvane.php";
inline constexpr const char* kVendorMailPage = "https://quorvane.example.org/support.php";
