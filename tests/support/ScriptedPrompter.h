#pragma once
// A Prompter for tests: answers dialogs from queues the test fills and records every
// message, question and opened URL, in order.
#include "platform/Prompter.h"

#include <QList>
#include <QQueue>

namespace framora::test {

class ScriptedPrompter : public Prompter {
public:
  struct Message {
    MessageKind kind;
    QString text;
    QString caption;
  };

  // Answers, consumed in order; an empty queue answers "cancel" / No.
  QQueue<bool> yesNoAnswers;
  QQueue<QStringList> openAnswers;
  QQueue<QString> saveAnswers;
  QQueue<QString> folderAnswers;
  bool openUrlResult = true;

  // What happened.
  QList<Message> messages;
  QStringList questions;
  QStringList urls;
  QStringList filters;        // filter of every file dialog shown
  QStringList proposedNames;  // proposed name of every save dialog

  void message(MessageKind kind, const QString& text, const QString& caption = {}) override {
    messages.append({kind, text, caption});
  }
  bool askYesNo(const QString& text, const QString& = {}) override {
    questions.append(text);
    return yesNoAnswers.isEmpty() ? false : yesNoAnswers.dequeue();
  }
  QStringList openFileNames(const QString& filter, const QString&, const QString& = {}) override {
    filters.append(filter);
    return openAnswers.isEmpty() ? QStringList{} : openAnswers.dequeue();
  }
  QString openFileName(const QString& filter, const QString& dir, const QString& caption = {}) override {
    const QStringList names = openFileNames(filter, dir, caption);
    return names.isEmpty() ? QString{} : names.first();
  }
  QString saveFileName(const QString& filter, const QString&, const QString& proposed, const QString& = {}) override {
    filters.append(filter);
    proposedNames.append(proposed);
    return saveAnswers.isEmpty() ? QString{} : saveAnswers.dequeue();
  }
  QString folder(const QString&, const QString& = {}) override {
    return folderAnswers.isEmpty() ? QString{} : folderAnswers.dequeue();
  }
  bool openUrl(const QString& urlOrPath) override {
    urls.append(urlOrPath);
    return openUrlResult;
  }

  QStringList texts() const {
    QStringList out;
    for (const auto& m : messages) out.append(m.text);
    return out;
  }
  int count(const QString& text) const { return texts().count(text); }
};

} // namespace framora::test
