// Framora Pro: creates its six windows once, in order, and runs until the main window closes.
#include "app/FormGif.h"
#include "app/Program.h"
#include "app/Resources.h"
#include "app/WidgetPrompter.h"

#include <QApplication>
#include <QFile>
#include <QIcon>

namespace {

QString styleSheet() {
  QFile f(QStringLiteral(":/style.qss"));
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Framora Pro"));
  QGuiApplication::setDesktopFileName(QStringLiteral("framora"));
  framora::EnsureResources();
  app.setWindowIcon(QIcon(QStringLiteral(":/framora.svg")));
  app.setStyleSheet(styleSheet());

  framora::WidgetPrompter prompter;
  framora::Program program(prompter);
  program.formGif().show();
  return app.exec();
}
