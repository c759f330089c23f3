// framora-cli: the GIF production commands of Framora Pro without a window.
//   build   frame pictures (or a template) -> animated GIF, same rules as "Create animated GIF"
//   split   animated GIF -> img<n>.bmp frame files + template.csv, same files as "Load GIF"
//   info    what a GIF file holds, as text or JSON
//   extract video -> avframe<nn>.bmp frame files (+ a template), same files as the video window
#include "codec/GIFImage.h"
#include "framelist/FrameListEditor.h"
#include "platform/Convert.h"
#include "platform/Prompter.h"
#include "platform/TextFile.h"
#include "platform/Version.h"
#include "production/GifBuilder.h"
#include "production/GifSplitter.h"
#include "production/ProductionTexts.h"
#include "video/FrameListSink.h"
#include "video/VideoExtractor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>
#include <unistd.h>

namespace framora {
namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;      // the command ran and failed
constexpr int ExitUnreadable = 2;  // an input file does not read
constexpr int ExitDamaged = 3;     // done, but an input file was damaged (warning printed)
constexpr int ExitUsage = 64;      // bad command line

const char* const kUsage =
    "Usage:\n"
    "  framora-cli build [--delay MS] [--disposal N] [--no-loop] [--no-optimize]\n"
    "                    [--transparent RRGGBB] [--size WxH] [--threads N] -o OUT.gif [--] FRAME...\n"
    "  framora-cli build --template FILE.csv [--no-loop] [--no-optimize] [--transparent RRGGBB]\n"
    "                    [--threads N] -o OUT.gif\n"
    "  framora-cli split [--raw] IN.gif -o DIR\n"
    "  framora-cli info [--json] FILE.gif\n"
    "  framora-cli extract VIDEO -o DIR [--max N] [--template FILE.csv]\n"
    "  framora-cli --help | --version\n"
    "\n"
    "build    Makes an animated GIF from pictures (BMP, GIF, PNG, JPEG, TIFF, ICO) with the rules\n"
    "         of \"Create animated GIF\": delays in milliseconds (a whole number, default 500)\n"
    "         become hundredths of a second between 10 and 5000, with a warning when clamped;\n"
    "         disposal (a whole number) 1..3 is kept, anything else becomes 0; loops forever\n"
    "         unless --no-loop; colour maps are merged into one global map unless --no-optimize;\n"
    "         --transparent makes that colour transparent. The size (1..65535 each way) defaults\n"
    "         to the largest picture. --threads N (1..256) loads frames on N threads; the\n"
    "         default is one per core. The output always gets the extension .gif. A template\n"
    "         (the CSV files of the program) gives folder, frames, delays, disposals and size\n"
    "         instead. Frame names after -- may start with a dash.\n"
    "split    Writes every frame of an animated GIF as DIR/img<n>.bmp and DIR/template.csv\n"
    "         listing them with their delays in ms. A GIF of full, opaque frames gives the\n"
    "         frames' own 8-bit pictures with their disposal. When a frame is smaller than the\n"
    "         logical screen, lies at an offset or is transparent, every frame is written as it\n"
    "         is seen, composed on the logical screen (8 bits when it has at most 256 colours,\n"
    "         else 24), with disposal 0, so that build --template gives the same animation;\n"
    "         pixels no frame has drawn yet get the first frame's transparent colour.\n"
    "         --raw writes the stored frames instead (their own size, not composed).\n"
    "info     Version, logical screen size as stored (and the canvas grown to hold the frames\n"
    "         when that is larger), loop count (none, or the stored number; 0 = forever) and per\n"
    "         frame position, size, delay (hundredths), disposal, transparent index and colour\n"
    "         table size. --json prints one object: screen_width, screen_height, canvas_width\n"
    "         and canvas_height (only when the canvas differs from the screen), loop,\n"
    "         frames [{left, top, width, height, delay, disposal, transparent_index, colors}].\n"
    "extract  Writes the frames of a video (AVI, MP4, MKV, WebM, MOV, MPEG) as DIR/avframe01.bmp, ...\n"
    "         (24 bits, the video's size), like the video window. stdout gets six info lines (file,\n"
    "         height, width, run time, frames, suggested delay in ms), then one frame path per line.\n"
    "         At most N frames (1..500, default 500), with a warning when the video has more.\n"
    "         --template also writes FILE.csv listing the frames with the suggested delay and\n"
    "         disposal 0, ready for build --template.\n"
    "\n"
    "The output folder -o of split and extract is created with its parents when missing.\n"
    "\n"
    "Exit codes: 0 done, 1 failed, 2 an input file could not be read, 3 done, but an input\n"
    "file was damaged (cut short or bad data; a warning names it), 64 bad command line.\n";

void printErr(const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), stderr);
  std::fputc('\n', stderr);
}

int usageError(const QString& text) {
  printErr(QStringLiteral("framora-cli: ") + text);
  printErr(QStringLiteral("Try 'framora-cli --help'."));
  return ExitUsage;
}

bool stderrIsTerminal() { return isatty(fileno(stderr)) != 0; }

// Messages go to stderr; the save and open dialogs are answered with the command line's files.
class ConsolePrompter : public Prompter {
public:
  QString saveAnswer;
  QString openAnswer;
  int errors = 0;
  // The file being worked on: named in front of an error that does not name it itself.
  QString errorFile;
  // Information is kept back until the command knows it is true (holdInformation).
  bool holdInformation = false;
  QStringList heldInformation;

  void message(MessageKind kind, const QString& text, const QString& = {}) override {
    if (kind == MessageKind::Information && holdInformation) {
      heldInformation << text;
      return;
    }
    const char* prefix = kind == MessageKind::Error ? "error: " : kind == MessageKind::Warning ? "warning: " : "";
    QString line = text;
    if (kind == MessageKind::Error) {
      ++errors;
      if (!errorFile.isEmpty() && !text.contains(errorFile) && !text.contains(QFileInfo(errorFile).fileName()))
        line = errorFile + QStringLiteral(": ") + text;
    }
    print(QLatin1String(prefix) + line);
  }
  void print(const QString& text) {
    if (progressShown) {
      std::fputc('\n', stderr);
      progressShown = false;
    }
    printErr(QStringLiteral("framora-cli: ") + text);
  }
  void releaseInformation() {
    holdInformation = false;
    for (const QString& text : std::exchange(heldInformation, {})) message(MessageKind::Information, text);
  }
  bool askYesNo(const QString&, const QString& = {}) override { return false; }
  QStringList openFileNames(const QString&, const QString&, const QString& = {}) override {
    return openAnswer.isEmpty() ? QStringList{} : QStringList{openAnswer};
  }
  QString openFileName(const QString&, const QString&, const QString& = {}) override { return openAnswer; }
  QString saveFileName(const QString&, const QString&, const QString&, const QString& = {}) override {
    return saveAnswer;
  }
  QString folder(const QString&, const QString& = {}) override { return {}; }
  bool openUrl(const QString&) override { return false; }

  bool progressShown = false;
};

std::function<void(int, int)> progressPrinter(ConsolePrompter& prompter, const char* what) {
  if (!stderrIsTerminal()) return {};
  return [&prompter, what](int done, int total) {
    std::fprintf(stderr, "\r%s %d/%d", what, done, total);
    std::fflush(stderr);
    prompter.progressShown = done < total;
    if (done == total && total > 0) std::fputc('\n', stderr);
  };
}

// The deepest folder holding all files (absolute paths).
QString commonFolder(const QStringList& files) {
  QString common = QFileInfo(files.first()).absolutePath();
  for (const QString& f : files) {
    const QString dir = QFileInfo(f).absolutePath();
    while (!(dir == common || dir.startsWith(common.endsWith(u'/') ? common : common + u'/')))
      common = QFileInfo(common).path();
  }
  return common;
}

struct Args {
  QStringList positional;
  QString output, templateFile, delay = QStringLiteral("500"), disposal = QStringLiteral("0"), size, max;
  std::optional<Rgb> transparent;
  bool loop = true, optimize = true, json = false, raw = false, delaySet = false, disposalSet = false;
  int threads = 0;  // 0: one per core
  int width = 0, height = 0;  // --size
};

// A whole number in decimal, nothing else (no sign, hex or blanks).
std::optional<long long> decimal(const QString& text) {
  static const QRegularExpression digits(QStringLiteral("^[0-9]{1,12}$"));
  if (!digits.match(text).hasMatch()) return std::nullopt;
  return text.toLongLong();
}

// Parses the options after the command word; an error text when they are not right.
QString parseArgs(const QStringList& in, Args& a) {
  for (int i = 0; i < in.size(); ++i) {
    const QString& arg = in.at(i);
    auto value = [&](QString& target) -> QString {
      if (i + 1 >= in.size()) return arg + QStringLiteral(" needs a value");
      target = in.at(++i);
      return {};
    };
    QString err;
    if (arg == QLatin1String("--")) {
      a.positional += in.mid(i + 1);  // names only from here on
      break;
    }
    if (arg == QLatin1String("-o") || arg == QLatin1String("--output")) err = value(a.output);
    else if (arg == QLatin1String("--template")) err = value(a.templateFile);
    else if (arg == QLatin1String("--delay")) {
      err = value(a.delay);
      a.delaySet = true;
      // Out-of-range delays are clamped with the build's warnings; only a non-number is refused.
      if (err.isEmpty() && !decimal(a.delay))
        err = QStringLiteral("--delay needs a whole number of milliseconds, not \"%1\"").arg(a.delay);
    } else if (arg == QLatin1String("--disposal")) {
      err = value(a.disposal);
      a.disposalSet = true;
      if (err.isEmpty() && !decimal(a.disposal))
        err = QStringLiteral("--disposal needs a whole number (1, 2 or 3; others mean 0), not \"%1\"").arg(a.disposal);
    } else if (arg == QLatin1String("--size")) {
      err = value(a.size);
      const QStringList wh = a.size.split(u'x');
      const long long w = wh.size() == 2 ? decimal(wh.at(0)).value_or(0) : 0;
      const long long h = wh.size() == 2 ? decimal(wh.at(1)).value_or(0) : 0;
      if (err.isEmpty() && (w < 1 || h < 1 || w > 65535 || h > 65535))
        err = QStringLiteral("--size needs WIDTHxHEIGHT, each 1 to 65535, for example 640x480, not \"%1\"").arg(a.size);
      a.width = int(w);
      a.height = int(h);
    } else if (arg == QLatin1String("--max")) err = value(a.max);
    else if (arg == QLatin1String("--no-loop")) a.loop = false;
    else if (arg == QLatin1String("--no-optimize")) a.optimize = false;
    else if (arg == QLatin1String("--json")) a.json = true;
    else if (arg == QLatin1String("--raw")) a.raw = true;
    else if (arg == QLatin1String("--threads")) {
      QString t;
      err = value(t);
      const auto n = decimal(t);
      if (err.isEmpty() && (!n || *n < 1 || *n > 256))
        err = QStringLiteral("--threads needs a number of threads from 1 to 256, not \"%1\"").arg(t);
      else if (n) a.threads = int(*n);
    } else if (arg == QLatin1String("--transparent")) {
      QString c;
      err = value(c);
      static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{6}$"));
      if (err.isEmpty() && !hex.match(c).hasMatch())
        err = QStringLiteral("--transparent needs a colour as six hex digits RRGGBB, not \"%1\"").arg(c);
      else if (err.isEmpty()) {
        const uint rgb = c.toUInt(nullptr, 16);
        a.transparent = Rgb{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                            static_cast<std::uint8_t>(rgb)};
      }
    } else if (arg.startsWith(u'-') && arg.size() > 1) err = QStringLiteral("unknown option %1").arg(arg);
    else a.positional.append(arg);
    if (!err.isEmpty()) return err;
  }
  return {};
}

// Options given to a command that has no use for them.
QString foreignOption(const Args& a, const QString& command) {
  if (a.raw && command != QLatin1String("split")) return QStringLiteral("--raw belongs to split");
  if (a.json && command != QLatin1String("info")) return QStringLiteral("--json belongs to info");
  return {};
}

void warnDamaged(ConsolePrompter& prompter, const QString& file, const QString& problem) {
  prompter.print(QStringLiteral("warning: %1 is damaged (%2); what could be read was used").arg(file, problem));
}

int runBuild(const QStringList& argv) {
  Args a;
  if (const QString err = parseArgs(argv, a); !err.isEmpty()) return usageError(err);
  if (a.output.isEmpty()) return usageError(QStringLiteral("build needs -o OUT.gif"));
  if (const QString err = foreignOption(a, QStringLiteral("build")); !err.isEmpty()) return usageError(err);

  FrameListEditor editor;
  ConsolePrompter prompter;
  BuildInputs in;
  in.language = 1;
  in.loop = a.loop;
  in.optimize = a.optimize;
  if (a.transparent) {
    in.transparent = true;
    in.transparentColour = *a.transparent;
  }
  if (!a.templateFile.isEmpty()) {
    if (!a.positional.isEmpty()) return usageError(QStringLiteral("give either --template or frame files, not both"));
    if (a.delaySet || a.disposalSet || !a.size.isEmpty())
      return usageError(QStringLiteral("--delay, --disposal and --size come from the template"));
    TextBuffer buffer;
    try {
      buffer.load(a.templateFile);
    } catch (const FileError& e) {
      printErr(QStringLiteral("framora-cli: error: ") + e.text());
      return ExitUnreadable;
    }
    if (buffer.lines.isEmpty()) {
      printErr(QStringLiteral("framora-cli: error: the template %1 is empty").arg(a.templateFile));
      return ExitFailed;
    }
    const QString err = editor.LoadTemplateLines(buffer.lines);
    if (!err.isEmpty()) {
      printErr(QStringLiteral("framora-cli: error: ") + err);
      return ExitFailed;
    }
    in.EditPfad = editor.folderText();
    in.EditWidth = editor.widthText();
    in.EditHeight = editor.heightText();
  } else {
    if (a.positional.isEmpty()) return usageError(QStringLiteral("build needs at least one frame picture"));
    QStringList files;
    for (const QString& f : a.positional) files.append(QFileInfo(f).absoluteFilePath());
    const QString folder = commonFolder(files);
    const QDir dir(folder);
    editor.model().setRowCount(int(files.size()));
    for (int i = 0; i < files.size(); ++i)
      editor.model().setRow(i, {dir.relativeFilePath(files.at(i)), a.delay, a.disposal});
    in.EditPfad = folder;
    // Without --size the screen grows to the largest frame.
    in.EditWidth = QString::number(a.width);
    in.EditHeight = QString::number(a.height);
  }
  prompter.saveAnswer = QFileInfo(a.output).absoluteFilePath();

  // Frame i's file, for errors that do not name it.
  const QString frameFolder = FrameFolderOf(in.EditPfad);
  auto frameFile = [&](int i) {
    return i < editor.model().rowCount() ? frameFolder + editor.model().cell(i, FrameListModel::FileColumn) : QString();
  };
  GifBuilder builder(editor.model(), prompter);
  builder.threadCount = a.threads;
  builder.callbacks.progress = [&, print = progressPrinter(prompter, "frame")](int done, int total) {
    prompter.errorFile = done < total ? frameFile(done) : QString();
    if (print) print(done, total);
  };
  const BuildResult r = builder.CreateAnimatedGif(in);
  prompter.errorFile.clear();
  switch (r.outcome) {
  case BuildResult::Outcome::Saved:
    printErr(QStringLiteral("framora-cli: wrote %1 (%2, %3 frames)").arg(r.savedPath, r.sizeText).arg(r.frames));
    for (const auto& [file, problem] : r.damaged) warnDamaged(prompter, file, problem);
    return r.damaged.empty() ? ExitOk : ExitDamaged;
  default:
    if (prompter.errors == 0) printErr(QStringLiteral("framora-cli: error: nothing was written"));
    return ExitFailed;
  }
}

int runSplit(const QStringList& argv) {
  Args a;
  if (const QString err = parseArgs(argv, a); !err.isEmpty()) return usageError(err);
  if (a.positional.size() != 1) return usageError(QStringLiteral("split needs one GIF file"));
  if (a.output.isEmpty()) return usageError(QStringLiteral("split needs -o DIR"));
  if (const QString err = foreignOption(a, QStringLiteral("split")); !err.isEmpty()) return usageError(err);
  const QString input = QFileInfo(a.positional.first()).absoluteFilePath();
  if (!QFileInfo(input).isFile()) {
    printErr(QStringLiteral("framora-cli: error: cannot read %1: no such file").arg(a.positional.first()));
    return ExitUnreadable;
  }
  const QString dir = QFileInfo(a.output).absoluteFilePath();
  if (!QDir().mkpath(dir)) {
    printErr(QStringLiteral("framora-cli: error: cannot create the folder %1").arg(dir));
    return ExitFailed;
  }
  FrameListEditor editor;
  ConsolePrompter prompter;
  GifSplitter splitter(editor, prompter);
  splitter.keepStoredFrames = a.raw;
  prompter.errorFile = input;
  splitter.callbacks.progress = progressPrinter(prompter, "frame");
  // "Frames saved in" is said once the template is written too.
  prompter.holdInformation = true;
  const SplitResult r = splitter.LoadGif(input, dir, 1);
  if (!r.damage.isEmpty()) warnDamaged(prompter, input, r.damage);
  switch (r.outcome) {
  case SplitResult::Outcome::Split: break;
  case SplitResult::Outcome::Unreadable:
  case SplitResult::Outcome::ModelFailed: return ExitUnreadable;
  default: return ExitFailed;
  }
  TextBuffer buffer;
  buffer.lines = editor.TemplateLines();
  try {
    buffer.save(QDir(dir).filePath(QStringLiteral("template.csv")));
  } catch (const FileError& e) {
    printErr(QStringLiteral("framora-cli: error: ") + e.text());
    return ExitFailed;
  }
  prompter.releaseInformation();
  return r.damage.isEmpty() ? ExitOk : ExitDamaged;
}

// The logical screen as the file stores it (the model grows its screen to hold the frames).
// The signature may come 4 bytes late, as the reader allows.
std::optional<std::pair<int, int>> storedScreen(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray head = file.read(14);
  for (const int at : {0, 4}) {
    if (head.size() < at + 10 || head.mid(at, 3).toUpper() != "GIF") continue;
    auto u16 = [&](int i) { return int(std::uint8_t(head[at + i])) | (int(std::uint8_t(head[at + i + 1])) << 8); };
    return std::make_pair(u16(6), u16(8));
  }
  return std::nullopt;
}

int runInfo(const QStringList& argv) {
  Args a;
  if (const QString err = parseArgs(argv, a); !err.isEmpty()) return usageError(err);
  if (a.positional.size() != 1) return usageError(QStringLiteral("info needs one GIF file"));
  if (const QString err = foreignOption(a, QStringLiteral("info")); !err.isEmpty()) return usageError(err);
  const QString path = a.positional.first();
  GIFImage image;
  QString damage;
  image.OnWarning = [&damage](Severity, const std::string& message) {
    if (damage.isEmpty()) damage = GifSplitter::DamageOf(message);
  };
  try {
    image.LoadFromFile(QFile::encodeName(path).toStdString());
  } catch (const std::exception& e) {
    printErr(QStringLiteral("framora-cli: error: ") + ErrorTextNaming(e, path, 1));
    return ExitUnreadable;
  }
  std::optional<int> loop;
  for (const auto& frame : image.Images()) {
    for (const auto& ext : frame->Extensions())
      if (const auto* ns = dynamic_cast<const GIFAppExtNSLoop*>(ext.get())) {
        loop = ns->Loops();
        break;
      }
    if (loop) break;
  }
  QJsonArray frames;
  for (const auto& frame : image.Images()) {
    const GIFGraphicControlExtension* gce = frame->GraphicControlExtension();
    QJsonObject f{{QStringLiteral("left"), frame->Left()},
                  {QStringLiteral("top"), frame->Top()},
                  {QStringLiteral("width"), frame->Width()},
                  {QStringLiteral("height"), frame->Height()},
                  {QStringLiteral("delay"), gce ? gce->Delay() : 0},
                  {QStringLiteral("disposal"), gce ? gce->Disposal() : 0},
                  {QStringLiteral("transparent_index"),
                   gce && gce->Transparent() ? QJsonValue(gce->TransparentColorIndex()) : QJsonValue()},
                  {QStringLiteral("colors"), frame->ActiveColorMap().Count()}};
    frames.append(f);
  }
  const QString version = QString::fromStdString(image.Header().Version);
  const auto screen = storedScreen(path).value_or(std::make_pair(image.Width(), image.Height()));
  const bool grown = screen != std::make_pair(image.Width(), image.Height());
  const int exitCode = damage.isEmpty() ? ExitOk : ExitDamaged;
  if (!damage.isEmpty()) {
    ConsolePrompter prompter;
    warnDamaged(prompter, path, damage);
  }
  if (a.json) {
    QJsonObject o{{QStringLiteral("file"), path},
                  {QStringLiteral("version"), version},
                  {QStringLiteral("screen_width"), screen.first},
                  {QStringLiteral("screen_height"), screen.second},
                  {QStringLiteral("loop"), loop ? QJsonValue(*loop) : QJsonValue()},
                  {QStringLiteral("frames"), frames}};
    if (grown) {
      o.insert(QStringLiteral("canvas_width"), image.Width());
      o.insert(QStringLiteral("canvas_height"), image.Height());
    }
    std::fputs(QJsonDocument(o).toJson(QJsonDocument::Indented).constData(), stdout);
    return exitCode;
  }
  QString out;
  out += QStringLiteral("File:    %1\n").arg(path);
  out += QStringLiteral("Version: GIF%1\n").arg(version);
  out += QStringLiteral("Screen:  %1 x %2\n").arg(screen.first).arg(screen.second);
  if (grown)
    out += QStringLiteral("Canvas:  %1 x %2 (grown to hold the frames)\n").arg(image.Width()).arg(image.Height());
  out += QStringLiteral("Loop:    %1\n")
             .arg(!loop ? QStringLiteral("none (plays once)")
                        : *loop == 0 ? QStringLiteral("0 (forever)") : QString::number(*loop));
  out += QStringLiteral("Frames:  %1\n").arg(frames.size());
  out += QStringLiteral("  #   left   top  width height  delay disposal transparent colors\n");
  for (int i = 0; i < frames.size(); ++i) {
    const QJsonObject f = frames.at(i).toObject();
    const QJsonValue t = f.value(QStringLiteral("transparent_index"));
    out += QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
               .arg(i, 3)
               .arg(f.value(QStringLiteral("left")).toInt(), 6)
               .arg(f.value(QStringLiteral("top")).toInt(), 5)
               .arg(f.value(QStringLiteral("width")).toInt(), 6)
               .arg(f.value(QStringLiteral("height")).toInt(), 6)
               .arg(f.value(QStringLiteral("delay")).toInt(), 6)
               .arg(f.value(QStringLiteral("disposal")).toInt(), 8)
               .arg(t.isNull() ? QStringLiteral("none") : QString::number(t.toInt()), 11)
               .arg(f.value(QStringLiteral("colors")).toInt(), 6);
  }
  std::fputs(out.toLocal8Bit().constData(), stdout);
  return exitCode;
}

int runExtract(const QStringList& argv) {
  Args a;
  if (const QString err = parseArgs(argv, a); !err.isEmpty()) return usageError(err);
  if (a.positional.size() != 1) return usageError(QStringLiteral("extract needs one video file"));
  if (a.output.isEmpty()) return usageError(QStringLiteral("extract needs -o DIR"));
  if (const QString err = foreignOption(a, QStringLiteral("extract")); !err.isEmpty()) return usageError(err);
  int maxFrames = kMaxAviFrames;
  if (!a.max.isEmpty()) {
    // The frame list holds 500 frames, so more would not reach a GIF.
    const auto n = toInt(a.max);
    if (!n || *n < 1 || *n > kMaxAviFrames)
      return usageError(
          QStringLiteral("--max needs a number of frames from 1 to %1, not \"%2\"").arg(kMaxAviFrames).arg(a.max));
    maxFrames = *n;
  }
  const QString input = QFileInfo(a.positional.first()).absoluteFilePath();
  if (!QFileInfo(input).isFile()) {
    printErr(QStringLiteral("framora-cli: error: cannot read %1: no such file").arg(a.positional.first()));
    return ExitUnreadable;
  }
  // The output folder first: the template may go into it.
  const QString dir = QFileInfo(a.output).absoluteFilePath();
  if (!QDir().mkpath(dir)) {
    printErr(QStringLiteral("framora-cli: error: cannot create the folder %1").arg(dir));
    return ExitFailed;
  }
  // Said before minutes of decoding rather than after.
  if (!a.templateFile.isEmpty() && !QFileInfo(QFileInfo(a.templateFile).absolutePath()).isDir()) {
    printErr(QStringLiteral("framora-cli: error: cannot write the template %1: its folder does not exist")
                 .arg(a.templateFile));
    return ExitFailed;
  }

  ConsolePrompter prompter;
  // "Frames saved" only once every frame file is known to be written.
  prompter.holdInformation = true;
  AviExtractRequest request;
  request.folder = dir;
  request.prompter = &prompter;
  request.saveFrames = true;  // no question on the command line
  request.maxFrames = maxFrames;
  request.texts.cannotOpenAvi += QStringLiteral(" (%1)").arg(input);
  if (maxFrames != kMaxAviFrames)
    request.texts.tooManyFrames =
        QStringLiteral("The video contains more than %1 frames; the first %1 are extracted (--max).").arg(maxFrames);
  request.addLine = [](const QString& line) {
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);  // a reading script sees each frame as it is written
  };
  // On a terminal the listed paths are progress enough; a counter only when stdout goes elsewhere.
  if (stderrIsTerminal() && !isatty(fileno(stdout)))
    request.progress = [&prompter](int done, int total) {
      if (total == 0) std::fputs("\rcounting frames...", stderr);
      else std::fprintf(stderr, "\r\033[Kframe %d/%d", done, total);
      std::fflush(stderr);
      prompter.progressShown = total == 0 || done < total;
      if (total > 0 && done == total) std::fputc('\n', stderr);
    };

  const AviExtractResult r = ExtractAviFrames(input, request);
  switch (r.outcome) {
  case AviOutcome::CannotOpen:
  case AviOutcome::NoVideoStream:
  case AviOutcome::NoDecoder: return ExitUnreadable;
  case AviOutcome::FrameError:
    printErr(QStringLiteral("framora-cli: error: extraction stopped; %1 frame file(s) written before it")
                 .arg(r.frameFiles.size()));
    return ExitFailed;
  case AviOutcome::Declined:  // not asked here
  case AviOutcome::Done: break;
  }
  const long long expected = std::min<long long>(r.frames, maxFrames);
  if (expected == 0) {
    printErr(QStringLiteral("framora-cli: error: the video %1 holds no frames").arg(input));
    return ExitFailed;
  }
  if (r.frameFiles.size() < expected) {
    // The window skips such frames silently; a script has to know.
    if (!r.frameFiles.isEmpty())
      printErr(QStringLiteral("framora-cli: error: %1 of %2 frame files could not be written in %3")
                   .arg(expected - r.frameFiles.size())
                   .arg(expected)
                   .arg(dir));
    return ExitFailed;
  }

  if (!a.templateFile.isEmpty()) {
    // The rows "Copy frames to animator" would give, with the video's size for the build.
    const std::optional<VideoFrameList> list = FramesFromListedLines(r.lines, r.frameDelay.value_or(0));
    if (!list) {
      printErr(QStringLiteral("framora-cli: error: no frames to list in %1").arg(a.templateFile));
      return ExitFailed;
    }
    FrameListEditor editor;
    editor.setFolderText(list->folder);
    editor.model().setRowCount(int(list->rows.size()));
    for (int i = 0; i < list->rows.size(); ++i)
      editor.model().setRow(i, {list->rows.at(i).file, list->rows.at(i).delay, list->rows.at(i).disposal});
    editor.setWidthText(QString::number(r.width));
    editor.setHeightText(QString::number(r.height));
    editor.setCountText(QString::number(list->count));
    TextBuffer buffer;
    buffer.lines = editor.TemplateLines();
    try {
      buffer.save(QFileInfo(a.templateFile).absoluteFilePath());
    } catch (const FileError& e) {
      printErr(QStringLiteral("framora-cli: error: ") + e.text());
      return ExitFailed;
    }
  }
  prompter.releaseInformation();
  return ExitOk;
}

} // namespace
} // namespace framora

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  using namespace framora;
  if (args.isEmpty()) {
    std::fputs(kUsage, stderr);
    return ExitUsage;
  }
  const QString command = args.takeFirst();
  if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
    std::fputs(kUsage, stdout);
    return ExitOk;
  }
  if (command == QLatin1String("--version")) {
    std::printf("framora-cli %s\n", GetFileVersionText().toLocal8Bit().constData());
    return ExitOk;
  }
  if (args.mid(0, args.indexOf(QLatin1String("--"))).contains(QLatin1String("--help"))) {
    std::fputs(kUsage, stdout);
    return ExitOk;
  }
  if (command == QLatin1String("build")) return runBuild(args);
  if (command == QLatin1String("split")) return runSplit(args);
  if (command == QLatin1String("info")) return runInfo(args);
  if (command == QLatin1String("extract")) return runExtract(args);
  return usageError(QStringLiteral("unknown command \"%1\"").arg(command));
}
