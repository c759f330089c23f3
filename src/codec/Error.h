#pragma once
// Problems found by the codec carry a severity and the program's own message text.
// Errors are thrown as CodecError; warnings go to an optional callback and are
// otherwise dropped.
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

namespace framora {

enum class Severity { gsInfo, gsWarning, gsError };

class CodecError : public std::runtime_error {
public:
  explicit CodecError(const std::string& message) : std::runtime_error(message) {}
};

// A file the codec could not read or write. what() is the sentence in the reader's or writer's
// language; kind, path and the system's reason let the program word it in the interface language.
class CodecFileError : public CodecError {
public:
  enum class Kind {
    Open,       // cannot open it for reading
    Read,       // opened, but reading failed
    Create,     // cannot create it (or its temporary file)
    Write,      // cannot write or replace it
    NotRegular, // a folder, device or pipe where a file belongs
    TooLarge,   // larger than any picture its reader accepts
  };
  CodecFileError(Kind kind, std::string path, std::string reason, bool english = false)
      : CodecError(Sentence(kind, path, reason, english)), kind_(kind), path_(std::move(path)),
        reason_(std::move(reason)) {}
  Kind kind() const { return kind_; }
  const std::string& path() const { return path_; }
  // The system's error text (strerror), empty when the codec itself refused the file.
  const std::string& reason() const { return reason_; }
  // A sentence naming the file, in English or German, followed by the system's reason.
  std::string text(bool english) const { return Sentence(kind_, path_, reason_, english); }
  static std::string Sentence(Kind kind, const std::string& path, const std::string& reason, bool english);

private:
  Kind kind_;
  std::string path_;
  std::string reason_;
};

using WarningCallback = std::function<void(Severity, const std::string&)>;

} // namespace framora
