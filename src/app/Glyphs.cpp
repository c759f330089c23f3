#include "app/Glyphs.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace framora {

namespace {

const char* svgBody(Glyph g) {
  switch (g) {
  case Glyph::Open:
    return R"(<path d="M3 7h6l2 2h10v10H3z" fill="#c9d2e6" stroke="#3d4a63" stroke-width="1.5" stroke-linejoin="round"/>)";
  case Glyph::Folder:
    return R"(<path d="M3 6h6l2 2h10v11H3z" fill="#e8d9a8" stroke="#5a5030" stroke-width="1.5" stroke-linejoin="round"/>)";
  case Glyph::Add:
    return R"(<rect x="4" y="4" width="16" height="16" rx="2" fill="#d7e8d5" stroke="#3d4a63" stroke-width="1.5"/>
              <path d="M12 8v8M8 12h8" stroke="#2f6b34" stroke-width="2.2" stroke-linecap="round"/>)";
  case Glyph::FrameOptions:
    return R"(<path d="M5 7h14M5 12h14M5 17h14" stroke="#3d4a63" stroke-width="1.6" stroke-linecap="round"/>
              <circle cx="9" cy="7" r="2.2" fill="#f5f3f5" stroke="#3d4a63" stroke-width="1.5"/>
              <circle cx="15" cy="12" r="2.2" fill="#f5f3f5" stroke="#3d4a63" stroke-width="1.5"/>
              <circle cx="8" cy="17" r="2.2" fill="#f5f3f5" stroke="#3d4a63" stroke-width="1.5"/>)";
  case Glyph::View:
    return R"(<path d="M2.5 12s3.5-6 9.5-6 9.5 6 9.5 6-3.5 6-9.5 6-9.5-6-9.5-6z" fill="#ffffff" stroke="#3d4a63" stroke-width="1.5"/>
              <circle cx="12" cy="12" r="3" fill="#5b6b8c"/>)";
  case Glyph::New:
    return R"(<path d="M6 3h8l4 4v14H6z" fill="#ffffff" stroke="#3d4a63" stroke-width="1.5" stroke-linejoin="round"/>
              <path d="M14 3v4h4" fill="none" stroke="#3d4a63" stroke-width="1.5"/>)";
  case Glyph::Remove:
    return R"(<path d="M7 7l10 10M17 7L7 17" stroke="#a33b3b" stroke-width="2.4" stroke-linecap="round"/>)";
  case Glyph::Up:
    return R"(<path d="M12 5l6 7h-4v7h-4v-7H6z" fill="#c9d2e6" stroke="#3d4a63" stroke-width="1.5" stroke-linejoin="round"/>)";
  case Glyph::Down:
    return R"(<path d="M12 19l6-7h-4V5h-4v7H6z" fill="#c9d2e6" stroke="#3d4a63" stroke-width="1.5" stroke-linejoin="round"/>)";
  case Glyph::Pick:
    return R"(<path d="M15 4l5 5-2 2-1-1-7 7-3 1 1-3 7-7-1-1z" fill="#e6eaf3" stroke="#3d4a63" stroke-width="1.5" stroke-linejoin="round"/>
              <path d="M4 20l2-2" stroke="#3d4a63" stroke-width="1.5"/>)";
  case Glyph::Play:
    return R"(<path d="M8 5l11 7-11 7z" fill="#5b6b8c" stroke="#3d4a63" stroke-width="1.2" stroke-linejoin="round"/>)";
  case Glyph::Stop:
    return R"(<rect x="6" y="6" width="12" height="12" rx="1.5" fill="#5b6b8c" stroke="#3d4a63" stroke-width="1.2"/>)";
  }
  return "";
}

} // namespace

QIcon glyphIcon(Glyph glyph) {
  const QByteArray svg = QByteArray(R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 24 24">)") +
                         svgBody(glyph) + "</svg>";
  QSvgRenderer renderer(svg);
  QIcon icon;
  for (int size : {16, 20, 24, 32, 48}) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    renderer.render(&p);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

} // namespace framora
