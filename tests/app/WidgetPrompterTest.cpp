#include "app/WidgetPrompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

using framora::MessageKind;
using framora::WidgetPrompter;

TEST(WidgetPrompter, MessageBoxesHaveTheirKindsIconAndCaption) {
  struct Case {
    MessageKind kind;
    QString caption;
    QString expectedTitle;
    QMessageBox::Icon icon;
  } cases[] = {
      {MessageKind::Error, "", "Error", QMessageBox::Critical},
      {MessageKind::Warning, "Error", "Error", QMessageBox::Warning},
      {MessageKind::Information, "", "Information", QMessageBox::Information},
  };
  WidgetPrompter prompter;
  for (const auto& c : cases) {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
      box->accept();
    });
    prompter.message(c.kind, "Could not open webpage!", c.caption);
    EXPECT_EQ(title, c.expectedTitle);
    EXPECT_EQ(text, "Could not open webpage!");
    EXPECT_EQ(icon, c.icon);
  }
}
