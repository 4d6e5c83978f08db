// How much memory the process holds now: its resident set (on Windows its
// private bytes: the pages of the tables' views are their files'), for the
// choice of what a run keeps in memory and what it puts into its scratch file.
#pragma once

#include <cstdint>
#include <optional>

namespace ranta2kv {

// Bytes of the process's memory resident now; nothing where the system does
// not tell.
std::optional<std::uint64_t> ResidentBytes();

}  // namespace ranta2kv
