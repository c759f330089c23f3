#include "codec/InputFile.h"

#include "codec/Error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace framora {

namespace {

using Kind = CodecFileError::Kind;

[[noreturn]] void Fail(Kind kind, const std::string& path, const std::string& reason, const InputRules& rules) {
  throw CodecFileError(kind, path, reason, rules.english);
}

struct Fd {
  int fd;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// Reads up to n bytes at offset; fewer only at the end of the file.
std::size_t ReadAt(int fd, std::uint8_t* dst, std::size_t n, off_t offset) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t r = ::pread(fd, dst + done, n - done, offset + static_cast<off_t>(done));
    if (r < 0) {
      if (errno == EINTR) continue;
      return static_cast<std::size_t>(-1);
    }
    if (r == 0) break;
    done += static_cast<std::size_t>(r);
  }
  return done;
}

} // namespace

std::vector<std::uint8_t> ReadInputFile(const std::string& path, const InputRules& rules) {
  // Non-blocking, so that a pipe without a writer cannot hold the open.
  Fd file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
  if (file.fd < 0) Fail(Kind::Open, path, std::strerror(errno), rules);
  struct stat st {};
  if (::fstat(file.fd, &st) != 0) Fail(Kind::Read, path, std::strerror(errno), rules);
  if (!S_ISREG(st.st_mode)) Fail(Kind::NotRegular, path, {}, rules);
  const std::size_t size = static_cast<std::size_t>(st.st_size);

  if (rules.checkHead && rules.headBytes > 0 && size >= rules.headBytes) {
    std::vector<std::uint8_t> head(rules.headBytes);
    const std::size_t got = ReadAt(file.fd, head.data(), head.size(), 0);
    if (got == static_cast<std::size_t>(-1)) Fail(Kind::Read, path, std::strerror(errno), rules);
    if (got == head.size()) rules.checkHead(head.data(), head.size());
  }
  if (size > rules.maxBytes) Fail(Kind::TooLarge, path, {}, rules);

  // A file that grows meanwhile is read to the size it had; one that shrinks, to its end.
  std::vector<std::uint8_t> bytes(size);
  const std::size_t got = ReadAt(file.fd, bytes.data(), size, 0);
  if (got == static_cast<std::size_t>(-1)) Fail(Kind::Read, path, std::strerror(errno), rules);
  bytes.resize(got);
  return bytes;
}

std::vector<std::uint8_t> ReadInputStream(std::istream& in, const InputRules& rules) {
  std::vector<std::uint8_t> bytes;
  auto readMore = [&](std::size_t n) {
    const std::size_t base = bytes.size();
    bytes.resize(base + n);
    in.read(reinterpret_cast<char*>(bytes.data() + base), static_cast<std::streamsize>(n));
    bytes.resize(base + static_cast<std::size_t>(in.gcount()));
    return static_cast<std::size_t>(in.gcount()) == n;
  };
  if (rules.checkHead && rules.headBytes > 0) {
    if (!readMore(rules.headBytes)) return bytes;
    rules.checkHead(bytes.data(), bytes.size());
  }
  constexpr std::size_t kChunk = 1 << 16;
  while (readMore(kChunk)) {
    if (bytes.size() > rules.maxBytes) break;
  }
  if (bytes.size() > rules.maxBytes)
    throw CodecError(rules.english ? "Data larger than " + std::to_string(rules.maxBytes) + " bytes"
                                   : "Daten größer als " + std::to_string(rules.maxBytes) + " Bytes");
  return bytes;
}

} // namespace framora
