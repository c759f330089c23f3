#pragma once
// The Prompter of the running program: Qt message boxes, file dialogs and the desktop's
// URL handler.
#include "platform/Prompter.h"

class QWidget;

namespace framora {

class WidgetPrompter : public Prompter {
public:
  void message(MessageKind kind, const QString& text, const QString& caption = {}) override;
  bool askYesNo(const QString& text, const QString& caption = {}) override;
  QStringList openFileNames(const QString& filter, const QString& startDir, const QString& caption = {}) override;
  QString openFileName(const QString& filter, const QString& startDir, const QString& caption = {}) override;
  QString saveFileName(const QString& filter, const QString& startDir, const QString& proposed,
                       const QString& caption = {}) override;
  QString folder(const QString& startDir, const QString& caption = {}) override;
  bool openUrl(const QString& urlOrPath) override;

private:
  static QWidget* parentWindow();
};

} // namespace framora
