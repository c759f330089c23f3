#include "codec/Error.h"

namespace framora {

std::string CodecFileError::text(bool english) const {
  const auto pick = [english](const char* en, const char* de) { return std::string(english ? en : de); };
  std::string sentence;
  switch (kind_) {
  case Kind::Open: sentence = pick("Cannot open file \"%\".", "Datei \"%\" kann nicht ge\u00f6ffnet werden."); break;
  case Kind::Read: sentence = pick("Cannot read file \"%\".", "Datei \"%\" kann nicht gelesen werden."); break;
  case Kind::Create: sentence = pick("Cannot create file \"%\".", "Datei \"%\" kann nicht erstellt werden."); break;
  case Kind::Write: sentence = pick("Cannot write file \"%\".", "Datei \"%\" kann nicht geschrieben werden."); break;
  case Kind::NotRegular: sentence = pick("\"%\" is not a regular file.", "\"%\" ist keine regul\u00e4re Datei."); break;
  case Kind::TooLarge: sentence = pick("The file \"%\" is too large.", "Die Datei \"%\" ist zu gro\u00df."); break;
  }
  sentence.replace(sentence.find('%'), 1, path_);
  if (!reason_.empty()) sentence += ' ' + reason_;
  return sentence;
}

} // namespace framora
