#include "app/WidgetPrompter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace framora {

QWidget* WidgetPrompter::parentWindow() {
  if (QWidget* w = QApplication::activeModalWidget()) return w;
  return QApplication::activeWindow();
}

void WidgetPrompter::message(MessageKind kind, const QString& text, const QString& caption) {
  QMessageBox::Icon icon = QMessageBox::Information;
  QString title = caption;
  switch (kind) {
  case MessageKind::Error:
    icon = QMessageBox::Critical;
    if (title.isEmpty()) title = QStringLiteral("Error");
    break;
  case MessageKind::Warning:
    icon = QMessageBox::Warning;
    if (title.isEmpty()) title = QStringLiteral("Warning");
    break;
  case MessageKind::Information:
    if (title.isEmpty()) title = QStringLiteral("Information");
    break;
  }
  QMessageBox box(icon, title, text, QMessageBox::Ok, parentWindow());
  box.exec();
}

bool WidgetPrompter::askYesNo(const QString& text, const QString& caption) {
  return QMessageBox::question(parentWindow(), caption.isEmpty() ? QStringLiteral("Confirm") : caption, text,
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QStringList WidgetPrompter::openFileNames(const QString& filter, const QString& startDir, const QString& caption) {
  QFileDialog dialog(parentWindow(), caption, startDir, filter);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (dialog.exec() != QDialog::Accepted) return {};
  QStringList files;
  for (const QString& f : dialog.selectedFiles()) files.append(QDir::toNativeSeparators(f));
  return files;
}

QString WidgetPrompter::openFileName(const QString& filter, const QString& startDir, const QString& caption) {
  const QString f = QFileDialog::getOpenFileName(parentWindow(), caption, startDir, filter);
  return QDir::toNativeSeparators(f);
}

QString WidgetPrompter::saveFileName(const QString& filter, const QString& startDir, const QString& proposed,
                                     const QString& caption) {
  QString start = startDir;
  if (!proposed.isEmpty()) start = start.isEmpty() ? proposed : QDir(startDir).filePath(proposed);
  // Replacing an existing file is not asked about; the file is replaced safely anyway.
  const QString f = QFileDialog::getSaveFileName(parentWindow(), caption, start, filter, nullptr,
                                                 QFileDialog::DontConfirmOverwrite);
  return QDir::toNativeSeparators(f);
}

QString WidgetPrompter::folder(const QString& startDir, const QString& caption) {
  return QDir::toNativeSeparators(QFileDialog::getExistingDirectory(parentWindow(), caption, startDir));
}

bool WidgetPrompter::openUrl(const QString& urlOrPath) {
  QUrl url(urlOrPath);
  if (url.scheme().isEmpty() || QFileInfo(urlOrPath).isAbsolute()) url = QUrl::fromLocalFile(urlOrPath);
  return QDesktopServices::openUrl(url);
}

} // namespace framora
