#pragma once
// Reading an input whole, but only a regular file, only after its first bytes look right to
// its reader, and only up to a size that reader could use: a device, a pipe or a huge file
// that is no picture costs nothing.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <limits>
#include <string>
#include <vector>

namespace framora {

struct InputRules {
  // A larger input is refused before it is read.
  std::size_t maxBytes = std::numeric_limits<std::size_t>::max();
  // Given the first headBytes bytes before the rest is read (not called for a shorter input,
  // which the reader then sees whole); throws the reader's own error when they cannot start
  // its kind of file.
  std::size_t headBytes = 0;
  std::function<void(const std::uint8_t* head, std::size_t size)> checkHead;
  // The texts of the errors: the codec's German, or the English of the preview and picture readers.
  bool english = false;
};

// CodecFileError (Open, Read, NotRegular, TooLarge) naming the file; what checkHead throws.
std::vector<std::uint8_t> ReadInputFile(const std::string& path, const InputRules& rules);
// The rest of a stream, with the same head check and size bound (CodecError when larger).
std::vector<std::uint8_t> ReadInputStream(std::istream& in, const InputRules& rules);

} // namespace framora
