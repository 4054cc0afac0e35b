#include "files/shred_patterns.h"

#include <chrono>
#include <random>

std::vector<uint8_t> RandomPatternBytes(size_t length) {
  // The clock alone could repeat when two sets are made within one tick; the call count keeps
  // consecutive seeds apart.
  static uint32_t calls = 0;
  const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  std::seed_seq seed{static_cast<uint32_t>(now), static_cast<uint32_t>(uint64_t(now) >> 32),
                     ++calls};
  std::mt19937 gen(seed);
  std::uniform_int_distribution<int> byte(0, 254);
  std::vector<uint8_t> out(length);
  for (auto& b : out) b = static_cast<uint8_t>(byte(gen));
  return out;
}

void ShredPatterns::MakeRandom(size_t length) {
  r1_ = RandomPatternBytes(length);
  r1c_.resize(length);
  for (size_t i = 0; i < length; ++i) r1c_[i] = static_cast<uint8_t>(~r1_[i]);
  r2_ = RandomPatternBytes(length);
}

void ShredPatterns::MakeZero(size_t length) {
  if (zero_.size() != length) zero_.assign(length, 0);
}

const std::vector<uint8_t>& ShredPatterns::Block(ShredPattern p) const {
  switch (p) {
    case ShredPattern::R1: return r1_;
    case ShredPattern::R1C: return r1c_;
    case ShredPattern::R2: return r2_;
    case ShredPattern::Zero: break;
  }
  return zero_;
}

ShredPattern NextShredPattern(ShredPattern p) {
  switch (p) {
    case ShredPattern::R1: return ShredPattern::R1C;
    case ShredPattern::R1C: return ShredPattern::R2;
    case ShredPattern::R2: return ShredPattern::R1;
    case ShredPattern::Zero: break;
  }
  return ShredPattern::Zero;
}

bool RenewPatternsAfter(ShredPattern p, int passesLeft) {
  return p == ShredPattern::R2 && passesLeft >= 2;
}

std::vector<uint8_t> RepeatBlock(const std::vector<uint8_t>& block, size_t blocks) {
  std::vector<uint8_t> out;
  out.reserve(block.size() * blocks);
  for (size_t i = 0; i < blocks; ++i) out.insert(out.end(), block.begin(), block.end());
  return out;
}
