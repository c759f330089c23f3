#include "codec/Error.h"

namespace framora {

std::string CodecFileError::Sentence(Kind kind, const std::string& path, const std::string& reason, bool english) {
  const auto pick = [english](const char* en, const char* de) { return std::string(english ? en : de); };
  std::string sentence;
  switch (kind) {
  case Kind::Open: sentence = pick("Cannot open file \"%\".", "Datei \"%\" kann nicht ge\u00f6ffnet werden."); break;
  case Kind::Read: sentence = pick("Cannot read file \"%\".", "Datei \"%\" kann nicht gelesen werden."); break;
  case Kind::Create: sentence = pick("Cannot create file \"%\".", "Datei \"%\" kann nicht erstellt werden."); break;
  case Kind::Write: sentence = pick("Cannot write file \"%\".", "Datei \"%\" kann nicht geschrieben werden."); break;
  case Kind::NotRegular: sentence = pick("\"%\" is not a regular file.", "\"%\" ist keine regul\u00e4re Datei."); break;
  case Kind::TooLarge: sentence = pick("The file \"%\" is too large.", "Die Datei \"%\" ist zu gro\u00df."); break;
  }
  sentence.replace(sentence.find('%'), 1, path);
  if (!reason.empty()) sentence += ' ' + reason;
  return sentence;
}

} // namespace framora
