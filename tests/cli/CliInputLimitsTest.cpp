// framora-cli given inputs that are no files: it ends at once with an error naming the input,
// in bounded memory.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace framora::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;  // the sanitizer's shadow memory needs more address space than any cap
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

struct BoundedRun {
  int exit = -1;  // -1 when killed by a signal
  QString err;
};

// Runs framora-cli with its address space capped at 1 GiB (reading /dev/zero whole would pass
// that within seconds) and a 60 s alarm, so a fault ends the run instead of the machine.
BoundedRun RunBounded(const QString& folder, const std::vector<std::string>& args) {
  const QByteArray errPath = QFile::encodeName(QDir(folder).filePath(QStringLiteral("stderr.txt")));
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!kSanitized) {
      const rlimit as{rlim_t{1} << 30, rlim_t{1} << 30};
      ::setrlimit(RLIMIT_AS, &as);
    }
    ::alarm(60);
    const int err = ::open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(err, 2);
    std::vector<char*> argv{const_cast<char*>(FRAMORA_CLI)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(FRAMORA_CLI, argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  BoundedRun r;
  r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  QFile e(QFile::decodeName(errPath));
  if (e.open(QIODevice::ReadOnly)) r.err = QString::fromUtf8(e.readAll());
  return r;
}

TEST(CliInputLimits, AnInputThatIsNoFileEndsAtOnceWithAnErrorNamingIt) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string out = QFile::encodeName(dir.filePath(QStringLiteral("out.gif"))).toStdString();
  struct Case {
    std::vector<std::string> args;
    int exit;
  };
  const Case cases[] = {
      {{"info", "/dev/zero"}, 2},
      {{"info", "--json", "/dev/zero"}, 2},
      {{"build", "-o", out, "/dev/zero"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front());
    const BoundedRun r = RunBounded(dir.path(), c.args);
    EXPECT_EQ(r.exit, c.exit) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("/dev/zero"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("regular"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
  }
}

} // namespace
} // namespace framora::test
