#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The four block patterns a shred writes, and the order they follow.
enum class ShredPattern { Zero, R1, R1C, R2 };

// Pattern buffers of one block length, kept for the whole process.
class ShredPatterns {
 public:
  // Makes R1, R1C and R2 of `length` bytes, drawing fresh random bytes.
  void MakeRandom(size_t length);
  // Makes ZERO of `length` bytes unless it already has that length.
  void MakeZero(size_t length);
  const std::vector<uint8_t>& Block(ShredPattern p) const;

 private:
  std::vector<uint8_t> zero_, r1_, r1c_, r2_;
};

// Random pattern bytes: uniform over 0..254, so 255 never occurs. The generator is seeded
// from the clock on every call.
std::vector<uint8_t> RandomPatternBytes(size_t length);

// The pattern of the pass after one that wrote `p`: R1, R1C, R2, R1 again; ZERO stays ZERO.
ShredPattern NextShredPattern(ShredPattern p);
// Whether fresh random patterns are due after a pass that wrote `p` with `passesLeft` passes
// still to come: only after an R2 pass, and only when at least two remain (with four passes the
// fourth writes the first pass's R1 again).
bool RenewPatternsAfter(ShredPattern p, int passesLeft);

// `blocks` copies of `block` end to end: a pass writes many blocks with one call.
std::vector<uint8_t> RepeatBlock(const std::vector<uint8_t>& block, size_t blocks);
