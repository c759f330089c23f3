#pragma once
// How the video window hands its frames to the frame list without knowing the main window.
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace framora {

struct VideoFrameRow {
  QString file;      // file name without folder
  QString delay;     // milliseconds, decimal
  QString disposal;  // "0".."3"
  friend bool operator==(const VideoFrameRow&, const VideoFrameRow&) = default;
};

struct VideoFrameList {
  QString folder;  // frame folder with trailing separator; empty when no line names one
  QList<VideoFrameRow> rows;
  int count = 0;   // for the frame-count edit
};

// Receives the frames. The implementation resets the frame list first (so the width and
// height edits are empty), then sets the folder edit, the rows in order and the count edit.
class FrameListSink {
public:
  virtual ~FrameListSink() = default;
  virtual void replaceFrames(const QString& folder, const QList<VideoFrameRow>& rows, int count) = 0;
};

inline constexpr int kAviInfoLineCount = 6;

// The frame list made from the window's list: the six info lines are skipped, every further
// line (at most 500) is a frame file path; the folder comes from the first line that has one.
// Nothing (nullopt) when there are no lines beyond the info lines.
std::optional<VideoFrameList> FramesFromListedLines(const QStringList& lines, int aviFrameDelay);

} // namespace framora
