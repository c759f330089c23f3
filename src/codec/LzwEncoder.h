#pragma once
// GIF's variable-length-code LZW compression.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace framora {

// Appends the compressed pixels to `out` as data sub-blocks (a length byte and up to 255
// bytes each; all but the last full), without the minimum code size byte before them and
// without the terminating zero block. minCodeSize is 2..8. A pixel not below colorLimit
// throws CodecError "Farbe nicht in der Farbtabelle".
void LzwEncode(const std::uint8_t* pixels, std::size_t count, int minCodeSize, int colorLimit,
               std::vector<std::uint8_t>& out);

} // namespace framora
