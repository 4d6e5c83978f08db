// Temporary files that a run could not remove itself: a power cut, a killed
// process, or the instant between a finished output file's naming and its rename
// over the target can leave one under a name of ours (temporary_name.h). The
// next run that creates its output or scratch file in that folder removes them,
// except those that another running copy of the program still writes: on POSIX
// systems the writer holds an flock on its file until it is renamed, and a file
// that nobody holds is left over; on Windows the writer's handle shares no
// delete access, so that deleting a running copy's file fails.
#pragma once

#include <filesystem>

namespace ranta2kv {

// Removes from folder each file under a name of ours that no running copy of
// the program holds. Nothing else is touched; what cannot be read, held or
// removed is left as it is (the run goes on without it).
void RemoveLeftoverTemporaries(const std::filesystem::path& folder);

}  // namespace ranta2kv
