#pragma once
// Turns a video into numbered 24-bit BMP frame files (avframe01.bmp, ...) with FFmpeg.
// QtCore only: the video window, the command line and the tests all call ExtractAviFrames.
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace framora {

class Prompter;

inline constexpr int kMaxAviFrames = 500;

// Texts of the video window that follow the interface language.
struct AviTexts {
  QString saveFramesNow;
  QString framesSaved;
  QString cannotOpenAvi;
  QString tooManyFrames;
  QString framesNotWritten;  // followed by the folder; shown when not one frame file could be written
  // 0 German, any other value English.
  static AviTexts forLanguage(int language);
};

// Fixed English texts, the same in both languages.
inline const QString kTextErrorCaption = QStringLiteral("Error");
inline const QString kTextNoVideoStream = QStringLiteral("Creating AVI stream failed!");
inline const QString kTextNoDecoder = QStringLiteral("Decompressing video frames failed!");
inline const QString kTextErrorCreatingFrame = QStringLiteral("Error creating frame ");

// Delay in ms suggested for a video: runTime * 1000 / (end + 1) rounded to a multiple of 100
// (halves to the even multiple), and 100 when that gives 0 or cannot be computed.
int SuggestedFrameDelay(double runTimeSeconds, long long end);

// "avframe" + number with at least two digits + ".bmp".
QString AviFrameFileName(long long number);

// The six info lines that head the frame list of the window.
QStringList AviInfoLines(const QString& path, int width, int height, double runTimeSeconds, long long end,
                         int frameDelay);

struct AviExtractRequest {
  QString folder;                        // where the frame files go, without trailing separator
  AviTexts texts = AviTexts::forLanguage(1);
  Prompter* prompter = nullptr;          // message boxes and the question; none shown when null
  std::optional<bool> saveFrames;        // when set, the question is not asked and this is the answer
  int maxFrames = kMaxAviFrames;         // more frames than this: warning, then only these
  std::function<void(const QString&)> addLine;     // each info line and written frame path, as it comes
  // After every frame position handled; (0, 0) now and then while a video without a frame
  // count is counted.
  std::function<void(int done, int total)> progress;
};

enum class AviOutcome {
  CannotOpen,     // file not opened or its information unreadable: nothing listed
  NoVideoStream,  // info lines 1-4 listed
  NoDecoder,      // info lines 1-4 listed
  Declined,       // six info lines, no frames
  FrameError,     // a frame could not be decoded; frames before it were written
  Done,
};

struct AviExtractResult {
  AviOutcome outcome = AviOutcome::CannotOpen;
  bool saved = false;                // at least one frame file written
  std::optional<int> frameDelay;     // the suggested delay, once it was computed
  long long frames = 0;              // frame count of the video (before the cap)
  int width = 0, height = 0;
  double runTimeSeconds = 0;
  bool capped = false;               // more frames than maxFrames
  QStringList lines;                 // everything added to the list, in order
  QStringList frameFiles;            // the frame files written, in frame order
  QString message;                   // text of the error or warning that ended the run, if any
};

// Opens path, lists its facts, asks whether to save and writes the frame files.
// Every message goes through request.prompter when one is given.
AviExtractResult ExtractAviFrames(const QString& path, const AviExtractRequest& request);

} // namespace framora
