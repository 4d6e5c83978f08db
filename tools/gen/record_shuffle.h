// Puts the records of a finished DBF table into random order on disk, so that
// no key of the table comes presorted. Header and end-of-file byte stay as they
// are; the same random sequence gives the same order.
#pragma once

#include <filesystem>

#include "tools/gen/random_source.h"

namespace ranta2kv::gen {

// Throws ranta2kv::Error when the file cannot be read or written back.
void ShuffleRecords(const std::filesystem::path& file, RandomSource& random);

}  // namespace ranta2kv::gen
