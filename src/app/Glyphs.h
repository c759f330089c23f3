#pragma once
// The tool-button glyphs, drawn from small vector pictures.
#include <QIcon>

namespace framora {

enum class Glyph { Open, Add, FrameOptions, View, New, Remove, Up, Down, Pick, Play, Stop, Folder };

QIcon glyphIcon(Glyph glyph);

} // namespace framora
