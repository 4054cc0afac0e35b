#pragma once
#include <windows.h>

#include <string>

// What the wipe's two halves (the folder and drive, and the fill) share: its clock and how a
// failed step reads.

class Stopwatch {
 public:
  Stopwatch() {
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
  }
  double Seconds() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart - start_.QuadPart) / double(frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_{}, start_{};
};

// "writing QvFill00000001.zero - error 5"
inline std::string ErrorDetail(const std::string& step, unsigned long error) {
  return step + " - error " + std::to_string(error);
}
