#pragma once
#include <cstddef>
#include <string>

#include "core/report_context.h"
#include "files/delete_outcome.h"

// Overwrites the file (method '0' Quick, '1' Thorough with `passes` passes, '2' Both), truncates
// it, moves it to a meaningless name and deletes it there. False leaves the file (partly
// overwritten after a cancel) under its own name.
DeleteOutcome ShredFile(ReportContext& ctx, const std::string& path, char method, int passes);

// A pass hands the system this much of its pattern per write (whole blocks, the block pattern
// repeated), and tests the cancel flag and lets messages run between writes. One block per call
// with write-through made a shred of a large file dozens of times slower than the disk; the bytes
// on disk and their order are the same either way.
constexpr size_t kShredWriteBytes = 4 << 20;
