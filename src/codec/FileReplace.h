#pragma once
// Writing a file without ever leaving a half-written one behind: the bytes go to a
// temporary file beside the target, which replaces the target only when complete.
#include <cstdint>
#include <string>
#include <vector>

namespace framora {

// Replaces (or creates) `path` with `bytes`. An existing file keeps its permission bits.
// - A file the user may not write is refused (as access(W_OK) decides; root may), although
//   the folder's permission would allow the rename. So is anything that is not a regular file.
// - A symbolic link is written through: its final target is replaced and the link stays.
// - The temporary file is an unnamed one (O_TMPFILE) that gets a name only once complete, so
//   a killed process leaves nothing behind; where the file system lacks unnamed files a named
//   "<target>.tmp-<pid>-<n>" is used, and such files of processes that no longer run are
//   removed by the next write of the same target.
// On failure the target is untouched, no temporary file remains and CodecFileError
// (Create, Write or NotRegular, naming `path`) is thrown.
void WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace framora
