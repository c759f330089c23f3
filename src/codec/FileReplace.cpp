#include "codec/FileReplace.h"

#include "codec/Error.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace framora {

namespace {

std::string ErrnoText() { return std::strerror(errno); }

bool WriteAll(int fd, const std::uint8_t* p, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

} // namespace

void WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  static std::atomic<unsigned> counter{0};
  std::string tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tmp = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    // 0666 lets the umask decide, as for any newly created file.
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) throw CodecError("Datei kann nicht erstellt werden: " + path + " (" + ErrnoText() + ")");

  struct stat st {};
  const bool replacing = ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  if (replacing) ::fchmod(fd, st.st_mode & 07777);

  bool ok = WriteAll(fd, bytes.data(), bytes.size());
  std::string why = ok ? std::string() : ErrnoText();
  // Only an existing file can be lost by a crash between rename and write-back; new files
  // (hundreds of frame files when splitting) skip the costly flush.
  if (ok && replacing && ::fsync(fd) != 0) {
    ok = false;
    why = ErrnoText();
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    why = ErrnoText();
  }
  if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) {
    ok = false;
    why = ErrnoText();
  }
  if (!ok) {
    ::unlink(tmp.c_str());
    throw CodecError("Datei kann nicht geschrieben werden: " + path + " (" + why + ")");
  }
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CodecError("Datei kann nicht geöffnet werden: " + path);
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) throw CodecError("Datei kann nicht gelesen werden: " + path);
  in.seekg(0, std::ios::beg);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size))
    throw CodecError("Datei kann nicht gelesen werden: " + path);
  return bytes;
}

} // namespace framora
