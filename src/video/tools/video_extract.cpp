// Extracts a video's frames without a window: video_extract VIDEO DIR [MAX]
// Prints the info lines and one frame path per line, as the video window lists them.
// Used by bench/video_bench.sh.
#include "video/VideoExtractor.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 3) {
    QTextStream(stderr) << "usage: video_extract VIDEO DIR [MAX]\n";
    return 2;
  }
  framora::AviExtractRequest request;
  request.folder = args[2];
  request.saveFrames = true;
  if (args.size() > 3) request.maxFrames = args[3].toInt();
  QTextStream out(stdout);
  request.addLine = [&](const QString& line) { out << line << '\n'; };
  const framora::AviExtractResult r = framora::ExtractAviFrames(args[1], request);
  if (r.outcome != framora::AviOutcome::Done || !r.saved) {
    out.flush();
    QTextStream(stderr) << "video_extract: " << (r.message.isEmpty() ? QStringLiteral("nothing written") : r.message)
                        << '\n';
    return 1;
  }
  return 0;
}
