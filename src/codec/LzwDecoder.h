#pragma once
// GIF variable-length-code LZW decoder shared by the three GIF readers.
// Every dictionary entry is a copy of an earlier run of output (the previous string plus one
// byte), so an entry is just (offset, length) into the output and a code is emitted with one
// memcpy. Codes beyond the dictionary, a missing end code or a short stream are reported,
// never trusted.
#include <cstddef>
#include <cstdint>

namespace framora {

class LzwDecoder {
public:
  enum class Status {
    Complete,     // end code seen or every pixel written
    EndOfData,    // the data ran out before the pixels were complete
    InvalidCode,  // a code the dictionary does not hold yet
  };
  struct Result {
    std::size_t written = 0;
    Status status = Status::Complete;
  };

  // Largest minimum code size the decoder accepts (clear code 4096, 13-bit codes).
  static constexpr int kMaxMinCodeSize = 12;

  // Decodes the concatenated sub-block payload into out[0, outSize). minCodeSize must be
  // 0..kMaxMinCodeSize; callers apply their own policy to other values.
  Result decode(const std::uint8_t* in, std::size_t inSize, int minCodeSize, std::uint8_t* out, std::size_t outSize);

private:
  static constexpr int kMaxCodes = 1 << 13;
  std::uint32_t offset_[kMaxCodes];
  std::uint16_t length_[kMaxCodes];
};

} // namespace framora
