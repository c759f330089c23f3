#pragma once
// Writing a file without ever leaving a half-written one behind: the bytes go to a
// temporary file beside the target, which replaces the target only when complete.
#include <cstdint>
#include <string>
#include <vector>

namespace framora {

// Replaces (or creates) `path` with `bytes`. An existing file keeps its permission bits.
// On failure the target is untouched, the temporary file is removed and CodecError is thrown.
void WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Reads a whole file; CodecError when it cannot be opened or read.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

} // namespace framora
