#include "video/FrameListSink.h"

#include "video/VideoExtractor.h"

#include <algorithm>

namespace framora {

std::optional<VideoFrameList> FramesFromListedLines(const QStringList& lines, int aviFrameDelay) {
  const qsizetype n = std::min<qsizetype>(lines.size(), kAviInfoLineCount + kMaxAviFrames);
  if (n <= kAviInfoLineCount) return std::nullopt;
  VideoFrameList list;
  const QString delay = aviFrameDelay > 0 ? QString::number(aviFrameDelay) : QStringLiteral("200");
  bool folderFound = false;
  for (qsizetype k = kAviInfoLineCount; k < n; ++k) {
    const QString& line = lines[k];
    const qsizetype slash = line.lastIndexOf(QLatin1Char('/'));
    if (!folderFound) {
      list.folder = line.left(slash + 1);
      folderFound = !list.folder.isEmpty();
    }
    list.rows.append({line.mid(slash + 1), delay, QStringLiteral("0")});
  }
  list.count = static_cast<int>(list.rows.size());
  return list;
}

} // namespace framora
