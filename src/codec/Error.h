#pragma once
// Problems found by the codec carry a severity and the program's own message text.
// Errors are thrown as CodecError; warnings go to an optional callback and are
// otherwise dropped.
#include <functional>
#include <stdexcept>
#include <string>

namespace framora {

enum class Severity { gsInfo, gsWarning, gsError };

class CodecError : public std::runtime_error {
public:
  explicit CodecError(const std::string& message) : std::runtime_error(message) {}
};

using WarningCallback = std::function<void(Severity, const std::string&)>;

} // namespace framora
