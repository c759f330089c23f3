#include "codec/FileReplace.h"

#include "codec/Error.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace framora {

namespace {

using Kind = CodecFileError::Kind;

std::string ErrnoText(int error = errno) { return std::strerror(error); }

[[noreturn]] void Fail(Kind kind, const std::string& path, const std::string& why) {
  throw CodecFileError(kind, path, why);
}

std::string DirOf(const std::string& p) {
  const std::size_t slash = p.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : p.substr(0, slash);
}

std::string BaseOf(const std::string& p) {
  const std::size_t slash = p.find_last_of('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

// Where a chain of symbolic links ends (the path itself when it is none; the end may not exist yet).
bool FinalTarget(const std::string& path, std::string& out) {
  out = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(out.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(out.c_str(), buf, sizeof buf);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof buf) return false;
    const std::string link(buf, static_cast<std::size_t>(n));
    out = link.front() == '/' ? link : DirOf(out) + "/" + link;
  }
  errno = ELOOP;
  return false;
}

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

std::string TemporaryName(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  return target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

// Named temporary files of this target left by processes that no longer run.
void RemoveStaleTemporaries(const std::string& dir, const std::string& base) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  const std::string prefix = base + ".tmp-";
  while (const dirent* e = ::readdir(d)) {
    const std::string_view name(e->d_name);
    if (!name.starts_with(prefix)) continue;
    const std::string_view rest = name.substr(prefix.size());
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 9 || dash + 1 == rest.size()) continue;
    long pid = 0;
    bool digits = true;
    for (std::size_t i = 0; i < rest.size(); ++i) {
      if (i == dash) continue;
      if (rest[i] < '0' || rest[i] > '9') digits = false;
      else if (i < dash) pid = pid * 10 + (rest[i] - '0');
    }
    if (!digits || pid <= 0 || pid > INT_MAX || pid == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    ::unlinkat(::dirfd(d), e->d_name, 0);
  }
  ::closedir(d);
}

// Writes through an unnamed file that is linked in only when complete. False when the file
// system offers no such files (nothing has changed then).
bool WriteUnnamed(const std::string& path, const std::string& target, const std::string& dir,
                  const std::vector<std::uint8_t>& bytes, const struct stat* existing) {
#ifdef O_TMPFILE
  const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct Closer {
    int fd;
    ~Closer() {
      if (fd >= 0) ::close(fd);
    }
  } closer{fd};
  if (existing) ::fchmod(fd, existing->st_mode & 07777);
  if (!WriteAll(fd, bytes.data(), bytes.size())) Fail(Kind::Write, path, ErrnoText());
  // Only an existing file can be lost by a crash between rename and write-back; new files
  // (hundreds of frame files when splitting) skip the costly flush.
  if (existing && ::fsync(fd) != 0) Fail(Kind::Write, path, ErrnoText());

  char self[64];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  // A new file gets its own name at once; an existing one is replaced by renaming over it.
  std::string name = existing ? TemporaryName(target) : target;
  for (int attempt = 0;; ++attempt) {
    if (::linkat(AT_FDCWD, self, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
    if (errno != EEXIST || attempt >= 100) return false;  // e.g. no /proc: the named way still works
    name = TemporaryName(target);
  }
  const bool renamed = name == target || ::rename(name.c_str(), target.c_str()) == 0;
  const int renameError = errno;
  const bool closed = ::close(fd) == 0;
  const int closeError = errno;
  closer.fd = -1;
  if (!renamed || !closed) {
    ::unlink(name.c_str());
    Fail(Kind::Write, path, ErrnoText(!renamed ? renameError : closeError));
  }
  return true;
#else
  (void)path, (void)target, (void)dir, (void)bytes, (void)existing;
  return false;
#endif
}

void WriteNamed(const std::string& path, const std::string& target, const std::vector<std::uint8_t>& bytes,
                const struct stat* existing) {
  std::string tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tmp = TemporaryName(target);
    // 0666 lets the umask decide, as for any newly created file.
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) Fail(Kind::Create, path, ErrnoText());
  if (existing) ::fchmod(fd, existing->st_mode & 07777);

  bool ok = WriteAll(fd, bytes.data(), bytes.size());
  std::string why = ok ? std::string() : ErrnoText();
  if (ok && existing && ::fsync(fd) != 0) {
    ok = false;
    why = ErrnoText();
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    why = ErrnoText();
  }
  if (ok && ::rename(tmp.c_str(), target.c_str()) != 0) {
    ok = false;
    why = ErrnoText();
  }
  if (!ok) {
    ::unlink(tmp.c_str());
    Fail(Kind::Write, path, why);
  }
}

} // namespace

void WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::string target;
  if (!FinalTarget(path, target)) Fail(Kind::Write, path, ErrnoText());
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) Fail(Kind::NotRegular, path, {});
  // The rename needs only the folder's permission; the file's own must be asked for.
  if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) Fail(Kind::Write, path, ErrnoText());
  const std::string dir = DirOf(target);
  RemoveStaleTemporaries(dir, BaseOf(target));
  if (!WriteUnnamed(path, target, dir, bytes, exists ? &st : nullptr)) WriteNamed(path, target, bytes, exists ? &st : nullptr);
}

} // namespace framora
