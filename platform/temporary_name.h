// The names of our temporary files: beside the target, a dot name with a random
// tag, so that it clashes with no file of the user's and the rename over the
// target stays within one folder. Only a name of exactly this form is ours: the
// removal of leftovers touches no other file.
#pragma once

#include <filesystem>
#include <random>

namespace ranta2kv {

constexpr int kTemporaryNameAttempts = 100;  // names tried before the creation gives up

// ".ranta2kv-" with sixteen lower-case hexadecimal digits and ".tmp", in the
// folder of target.
std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target, std::random_device& random);

// True when name (a file name alone) has the form TemporaryNameBeside gives.
bool IsTemporaryName(const std::filesystem::path& name);

}  // namespace ranta2kv
