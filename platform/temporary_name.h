// The names the output file tries for its temporary file: beside the target, a
// dot name with a random tag, so that it clashes with no file of the user's and
// the rename over the target stays within one folder.
#pragma once

#include <filesystem>
#include <random>

namespace ranta2kv {

constexpr int kTemporaryNameAttempts = 100;  // names tried before the creation gives up

std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target, std::random_device& random);

}  // namespace ranta2kv
