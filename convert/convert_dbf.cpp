// The direct pass (being written).
#include "common/error.h"
#include "convert/conversion_pass.h"

namespace ranta2kv {

std::optional<std::filesystem::path> ConvertDbf(RunHost&) {
  throw Error("ConvertDbf: not available yet");
}

std::optional<std::filesystem::path> ConvertOleDb(RunHost&) {
  throw Error("ConvertOleDb: not available yet");
}

}  // namespace ranta2kv
