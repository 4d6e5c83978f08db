// The fuzzing processes' folders: made with mkdtemp, preferring the memory file
// system, and the estimate's tables rewritten in place between inputs.
#include "fuzz/fuzz_folder.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "tools/gen/estimate_generator.h"

namespace ranta2kv::fuzz {
namespace fs = std::filesystem;
namespace {

fs::path TemporaryRoot() {
  std::error_code error;
  if (fs::is_directory("/dev/shm", error)) return "/dev/shm";
  return fs::temp_directory_path();
}

}  // namespace

ScratchDirectory::ScratchDirectory(std::string_view prefix) {
  std::string pattern = (TemporaryRoot() / (std::string(prefix) + "_XXXXXX")).string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a folder from " + pattern);
  path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void WriteFileBytes(const fs::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string ReadFileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void GenerateFuzzEstimate(const fs::path& folder) {
  gen::GenerateEstimate({.seed = 1, .positions = 6, .edge = true}, folder);
}

FuzzEstimate::FuzzEstimate()
    : scratch_("ranta2kv-fuzz"), folder_(scratch_.Path() / "estimate"), output_(scratch_.Path() / "out") {
  GenerateFuzzEstimate(folder_);
  fs::create_directories(output_);
  for (std::size_t i = 0; i < kEstimateTables.size(); ++i) generated_[i] = ReadFileBytes(folder_ / kEstimateTables[i]);
}

void FuzzEstimate::Replace(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  replaced_ = data[0] % kEstimateTables.size();
  WriteFileBytes(folder_ / kEstimateTables[replaced_],
                 std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
}

void FuzzEstimate::Restore() {
  if (replaced_ >= 0) WriteFileBytes(folder_ / kEstimateTables[replaced_], generated_[replaced_]);
  replaced_ = -1;
  for (const fs::directory_entry& entry : fs::directory_iterator(output_)) fs::remove_all(entry.path());
}

}  // namespace ranta2kv::fuzz
