// Replacing a file: what may not be written stays as it is, links are written through, and
// no temporary file outlives a failed or killed write.
#include "codec/Error.h"
#include "codec/FileReplace.h"

#include "GifCheck.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

namespace framora::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::string Content(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Put(const fs::path& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }

std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs `body` in a child process and gives its wait status; the child's exit code is what
// body returns.
int InChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

constexpr int kRefused = 10, kWritten = 11, kOtherError = 12, kCannotDropRoot = 77;

int TryWrite(const std::string& path, const std::string& bytes) {
  try {
    WriteFileReplacing(path, Bytes(bytes));
    return kWritten;
  } catch (const CodecFileError& e) {
    return e.kind() == CodecFileError::Kind::Write && std::string(e.what()).find(path) != std::string::npos
               ? kRefused
               : kOtherError;
  } catch (...) {
    return kOtherError;
  }
}

// The folder would allow the rename; the file's own permission must still be asked.
TEST(FileReplace, AFileTheUserMayNotWriteIsRefusedAndStays) {
  TempDir dir;
  fs::permissions(dir.Path(), fs::perms::all);  // world-writable, as a shared folder may be
  const fs::path target = dir.Path() / "out.gif";
  Put(target, "old");
  fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

  const int status = InChild([&] {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
      return kCannotDropRoot;
    return TryWrite(target.string(), "new");
  });
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == kCannotDropRoot) GTEST_SKIP() << "cannot switch to the unprivileged user 65534";
  EXPECT_EQ(WEXITSTATUS(status), kRefused);
  EXPECT_EQ(Content(target), "old");
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"out.gif"});

  if (::geteuid() == 0) {  // root may, and the file keeps its mode
    EXPECT_EQ(TryWrite(target.string(), "new"), kWritten);
    EXPECT_EQ(Content(target), "new");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  }
}

TEST(FileReplace, ATargetThatIsNoRegularFileIsRefusedAndStays) {
  TempDir dir;
  const fs::path fifo = dir.Path() / "pipe.gif", folder = dir.Path() / "folder.gif";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  fs::create_directory(folder);
  for (const fs::path& p : {fifo, folder}) {
    SCOPED_TRACE(p.string());
    try {
      WriteFileReplacing(p.string(), Bytes("new"));
      ADD_FAILURE() << "replaced";
    } catch (const CodecFileError& e) {
      EXPECT_EQ(e.kind(), CodecFileError::Kind::NotRegular);
      EXPECT_EQ(e.path(), p.string());
    }
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"folder.gif", "pipe.gif"}));
}

TEST(FileReplace, ASymbolicLinkIsWrittenThroughToItsTarget) {
  TempDir dir;
  fs::create_directory(dir.Path() / "real");
  const fs::path real = dir.Path() / "real" / "clip.gif";
  Put(real, "old");
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("real/clip.gif", dir.Path() / "relative.gif");
  fs::create_symlink(dir.Path() / "relative.gif", dir.Path() / "chain.gif");
  fs::create_symlink("real/new.gif", dir.Path() / "dangling.gif");
  struct Case { const char* link; fs::path target; };
  const Case cases[] = {{"relative.gif", real}, {"chain.gif", real}, {"dangling.gif", dir.Path() / "real" / "new.gif"}};
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    const std::string text = "new " + std::to_string(round++);
    WriteFileReplacing((dir.Path() / c.link).string(), Bytes(text));
    EXPECT_EQ(Content(c.target), text);
  }
  for (const char* link : {"relative.gif", "chain.gif", "dangling.gif"}) EXPECT_TRUE(fs::is_symlink(dir.Path() / link));
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Names(dir.Path() / "real"), (std::vector<std::string>{"clip.gif", "new.gif"}));
}

// A file-size limit makes the write fail halfway (EFBIG), or, with its signal left at its
// default, kills the process halfway through writing.
TEST(FileReplace, NoTemporaryFileOutlivesAFailedOrKilledWrite) {
  TempDir dir;
  const fs::path target = dir.Path() / "out.gif";
  Put(target, "old");
  const std::string big(1 << 16, 'x');
  for (const bool killed : {false, true}) {
    SCOPED_TRACE(killed ? "killed" : "failed");
    const int status = InChild([&] {
      ::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
      const rlimit limit{1024, 1024};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      try {
        WriteFileReplacing(target.string(), Bytes(big));
      } catch (const CodecFileError& e) {
        return e.kind() == CodecFileError::Kind::Write ? kRefused : kOtherError;
      }
      return kWritten;
    });
    if (killed) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
    } else {
      ASSERT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), kRefused);
    }
    EXPECT_EQ(Content(target), "old");
    // Where the folder offers no unnamed files, the next write of the target clears the leftover.
    const int probe = ::open(dir.Path().c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (probe >= 0) ::close(probe);
    else WriteFileReplacing((dir.Path() / "out.gif").string(), Bytes("old"));
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"out.gif"});
  }
}

// Named temporary files of processes that no longer run are removed with the next write of
// their target; those of running processes and of other targets stay.
TEST(FileReplace, StaleTemporaryFilesOfTheTargetAreRemoved) {
  TempDir dir;
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::string dead = std::to_string(gone), alive = std::to_string(::getppid());
  const std::vector<std::string> stale = {"out.gif.tmp-" + dead + "-0", "out.gif.tmp-" + dead + "-17"};
  const std::vector<std::string> kept = {"out.gif.tmp-" + alive + "-0", "other.gif.tmp-" + dead + "-0",
                                         "out.gif.tmp-" + dead + "-x", "out.gif.tmp-" + dead};
  for (const auto& n : stale) Put(dir.Path() / n, "partial");
  for (const auto& n : kept) Put(dir.Path() / n, "partial");
  WriteFileReplacing((dir.Path() / "out.gif").string(), Bytes("new"));
  std::vector<std::string> expect = kept;
  expect.push_back("out.gif");
  std::sort(expect.begin(), expect.end());
  EXPECT_EQ(Names(dir.Path()), expect);
}

} // namespace
} // namespace framora::test
