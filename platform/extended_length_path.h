// The extended-length form of a Windows path ("\\?\C:\…", "\\?\UNC\server\share\…"),
// in which the system takes a path of any length as it is. Since the system then
// neither completes nor tidies it, the path is made absolute and normalised first,
// as the system itself would have done. A pure rule over wide text, the same on
// every system (only the Win32 files of the platform layer give it to the system).
#pragma once

#include <string>
#include <string_view>

namespace ranta2kv {

// The extended-length form of path, taken against current_folder (an absolute
// path: the current folder of the process, or for "D:name" that of drive D:).
// "/" counts as "\", "." and ".." are resolved (".." never above the root),
// empty components dropped, one trailing dot of a folder's name and the trailing
// dots and blanks of the last name removed, no separator kept at the end but the
// root's. A path already in that form ("\\?\…", "\??\…") or a device's
// ("\\.\…") stays as given, and so does a relative one when current_folder is
// not absolute.
std::wstring ExtendedLengthPath(std::wstring_view path, std::wstring_view current_folder);

}  // namespace ranta2kv
