// The program's version, in the one place both the version resource (Quorvane.rc) and the setup
// program (installer/Quorvane.nsi, scripts/package.sh) take it from. Plain defines only: the
// resource compiler's preprocessor and makensis's !searchparse both read this file.
// src/core/version.h makes the windows' texts from these.
#define QV_VERSION_MAJOR 5
#define QV_VERSION_MINOR 1
#define QV_VERSION_RELEASE 0
#define QV_VERSION_BUILD 180
#define QV_VERSION_TEXT "5.01"
#define QV_BUILD_TEXT "Build 5.1.0.180"
