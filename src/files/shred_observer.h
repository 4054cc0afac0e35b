#pragma once
#include <string>

// Lets a test look at a file between the steps of a shred (or end the process there): the bytes
// on disk after each pass, the truncated file, and the empty file under its temporary name
// before it is deleted. The program itself never sets one.
class ShredObserver {
 public:
  virtual ~ShredObserver() = default;
  // After every completed pass (flushed and closed); `pass` counts from 0 within one overwrite
  // (the zero pass of "Both" is pass 0 of its own).
  virtual void PassWritten(const std::string& file, int pass) {}
  // The file cut to nothing, still under its own name.
  virtual void Truncated(const std::string& file) {}
  virtual void Moved(const std::string& tempName) {}
};

void SetShredObserver(ShredObserver* observer);
