// Framora Pro: creates its six windows once, in order, and runs until the main window closes.
#include "app/FormConfig.h"
#include "app/FormFrage.h"
#include "app/FormGif.h"
#include "app/WidgetPrompter.h"

#include <QApplication>
#include <QDialog>
#include <QFile>

namespace {

QString styleSheet() {
  QFile f(QStringLiteral(":/style.qss"));
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Windows whose contents come with their own classes start as empty dialogs.
QDialog* placeholderDialog(QWidget* parent, const char* name) {
  auto* d = new QDialog(parent);
  d->setObjectName(QLatin1String(name));
  return d;
}

} // namespace

int main(int argc, char** argv) {
  // Debian's GStreamer media backend has no AVI decoder without extra plug-ins.
  if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "ffmpeg");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Framora Pro"));
  app.setStyleSheet(styleSheet());

  framora::WidgetPrompter prompter;
  framora::FormGif formGif(prompter);                                         // 1
  QDialog* aboutBox = placeholderDialog(&formGif, "AboutBox");               // 2
  auto* formConfig = new framora::FormConfig(prompter, &formGif);            // 3
  QDialog* formAvi = placeholderDialog(&formGif, "FormAvi");                 // 4
  auto* formFrage = new framora::FormFrage(prompter, &formGif);              // 5
  QDialog* formFreeware = placeholderDialog(&formGif, "FormFreeware");       // 6
  (void)aboutBox;
  (void)formAvi;
  (void)formFreeware;
  formGif.setDialogs(formConfig, formFrage);

  formGif.show();
  return app.exec();
}
