#pragma once
// Everything a command needs from the person in front of the screen goes through this
// interface: message boxes, questions, file dialogs, opening a URL. The program passes
// the widget implementation; tests pass a scripted one that answers and records.
#include <QString>
#include <QStringList>

namespace framora {

enum class MessageKind { Error, Warning, Information };

class Prompter {
public:
  virtual ~Prompter() = default;
  // A modal box with one OK button.
  virtual void message(MessageKind kind, const QString& text, const QString& caption = {}) = 0;
  // A Yes/No question; true for Yes.
  virtual bool askYesNo(const QString& text, const QString& caption = {}) = 0;
  // Open dialog with multi-select; empty when cancelled. filter uses Qt's "Name (*.a *.b);;..." form.
  virtual QStringList openFileNames(const QString& filter, const QString& startDir, const QString& caption = {}) = 0;
  virtual QString openFileName(const QString& filter, const QString& startDir, const QString& caption = {}) = 0;
  // Save dialog; empty when cancelled.
  virtual QString saveFileName(const QString& filter, const QString& startDir, const QString& proposed,
                               const QString& caption = {}) = 0;
  // Folder browser; empty when cancelled.
  virtual QString folder(const QString& startDir, const QString& caption = {}) = 0;
  // Opens a web address or a local file (as a file:// URL) in the desktop's handler.
  virtual bool openUrl(const QString& urlOrPath) = 0;
};

} // namespace framora
