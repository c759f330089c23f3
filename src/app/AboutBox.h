#pragma once
// The about box: product name, release, links to the maker's site and donation page.
#include <QDialog>

class QLabel;
class QPushButton;

namespace framora {

class Prompter;
class LinkLabel;
class SvgPicture;

class AboutBox : public QDialog {
  Q_OBJECT
public:
  explicit AboutBox(Prompter& prompter, QWidget* parent = nullptr);

  int ALanguage = 1;  // 0 German, anything else English; set before showing

  SvgPicture* Image2;  // logo
  QLabel* Label1;
  QLabel* LabelRelease;
  QLabel* LabelVersion;
  QLabel* Label6;
  LinkLabel* Label5;
  SvgPicture* Image1;  // English donation picture
  SvgPicture* Image3;  // German donation picture
  QPushButton* ButtonClose;

  // The menu entry "Info": language and version text, then modal.
  int ShowModal(int language, const QString& versionText);

  void FormShow();
  void Label5Click();
  void Image1Click();
  void SpeedButton1Click();
  void OpenLinkAndClose(const QString& address);

protected:
  void showEvent(QShowEvent* event) override;

private:
  Prompter& prompter_;
};

} // namespace framora
