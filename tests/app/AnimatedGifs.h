#pragma once
// Small animated GIFs for the player widgets, written into a temporary folder. All use one
// four-colour global table: 0 red, 1 green, 2 blue, 3 yellow.
#include "codec/GifBytes.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace framora::test {

// The preview panel a player view sits on: a plain widget filled with the panel colour.
inline const QColor kPanel(243, 241, 233);
inline std::unique_ptr<QWidget> makePanel(int size) {
  auto panel = std::make_unique<QWidget>();
  panel->setAutoFillBackground(true);
  QPalette pal = panel->palette();
  pal.setColor(QPalette::Window, kPanel);
  panel->setPalette(pal);
  panel->resize(size, size);
  return panel;
}

inline const QColor kGifColours[4] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255), QColor(255, 255, 0)};

struct GifFrame {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<std::uint8_t> pixels;  // indices 0..3, rows from the top
  int delay = 10;                    // hundredths
  int disposal = 0;
  int transparent = -1;              // index, or -1 for none
  bool control = true;               // write a graphic control block
};

// loop: -1 no loop block, else its count (0 = forever).
inline std::vector<std::uint8_t> animatedGif(int width, int height, const std::vector<GifFrame>& frames,
                                             int loop = 0) {
  GifBytes g;
  g.text("GIF89a").u16(width).u16(height).raw({0x81, 0, 0});
  for (const QColor& c : kGifColours) g.raw({c.red(), c.green(), c.blue()});
  if (loop >= 0) g.loop(loop);
  for (const auto& f : frames) {
    if (f.control) g.gce(f.delay, f.disposal, f.transparent);
    g.image(f.left, f.top, f.width, f.height, f.pixels, 2);
  }
  g.trailer();
  return g.bytes;
}

inline GifFrame solid(int left, int top, int width, int height, int index, int delay = 10, int disposal = 0,
                      int transparent = -1) {
  return GifFrame{left, top, width, height,
                  std::vector<std::uint8_t>(static_cast<std::size_t>(width * height), static_cast<std::uint8_t>(index)),
                  delay, disposal, transparent};
}

inline QString writeFile(const QString& path, const std::vector<std::uint8_t>& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return {};
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  return path;
}

// The pixels of an image as rows of letters: R G B Y for the table's colours, P for the
// panel colour, W for the window colour, ? for anything else.
inline std::vector<std::string> letters(const QImage& image, const QRect& area, const QColor& panel,
                                        const QColor& window) {
  std::vector<std::string> rows;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    std::string row;
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb p = image.pixel(x, y);
      const QColor c = QColor(p);
      char ch = '?';
      for (int i = 0; i < 4; ++i)
        if (c == kGifColours[i]) ch = "RGBY"[i];
      if (ch == '?' && c == panel) ch = 'P';
      if (ch == '?' && c == window) ch = 'W';
      row += ch;
    }
    rows.push_back(row);
  }
  return rows;
}

} // namespace framora::test
