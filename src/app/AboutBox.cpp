#include "app/AboutBox.h"

#include "app/LinkWidgets.h"
#include "app/WebSites.h"
#include "platform/Prompter.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace framora {
namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& geometry, const QFont& font,
                  const QString& colour = QStringLiteral("black")) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(geometry);
  label->setFont(font);
  label->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(colour));
  return label;
}

SvgPicture* MakePicture(QWidget* parent, const char* name, const QString& resource, const QRect& geometry) {
  auto* picture = new SvgPicture(resource, parent);
  picture->setObjectName(QString::fromLatin1(name));
  picture->setGeometry(geometry);
  picture->setCursor(Qt::PointingHandCursor);
  return picture;
}

// A panel with a soft bevel: a light top-left edge and a grey bottom-right edge.
QFrame* MakeSoftPanel(QWidget* parent, const char* name, const QRect& geometry, const QString& fill) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setGeometry(geometry);
  panel->setStyleSheet(QStringLiteral("QFrame#%1 { background: %2; border: 1px solid; "
                                      "border-color: #ffffff #a8a8a8 #a8a8a8 #ffffff; }")
                           .arg(QString::fromLatin1(name), fill));
  return panel;
}

} // namespace

AboutBox::AboutBox(Prompter& prompter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), prompter_(prompter) {
  setObjectName(QStringLiteral("AboutBox"));
  setModal(true);
  setFixedSize(250, 350);
  setStyleSheet(QStringLiteral("QDialog#AboutBox { background: white; }"));

  QFrame* panel = MakeSoftPanel(this, "Panel1", rect(), QStringLiteral("white"));

  Image2 = MakePicture(panel, "Image2", QStringLiteral(":/logo.svg"), {26, 13, 195, 65});
  connect(Image2, &SvgPicture::clicked, this, &AboutBox::Label5Click);

  Label1 = MakeLabel(panel, "Label1", {5, 81, 240, 30}, GothicFont(21), QStringLiteral("rgb(79,0,79)"));
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setText(QStringLiteral("Framora Pro"));

  LabelRelease = MakeLabel(panel, "LabelRelease", {70, 111, 50, 16}, ArialFont(12));
  LabelRelease->setText(QStringLiteral("Release"));
  LabelVersion = MakeLabel(panel, "LabelVersion", {124, 111, 120, 16}, ArialFont(12));

  Label6 = MakeLabel(panel, "Label6", {2, 151, 240, 16}, ArialFont(12));
  Label6->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  Label6->setText(QStringLiteral("Freeware"));

  Label5 = new LinkLabel(panel);
  Label5->setObjectName(QStringLiteral("Label5"));
  Label5->setGeometry(5, 171, 240, 16);
  QFont link = ArialFont(12);
  link.setUnderline(true);
  Label5->setFont(link);
  Label5->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  Label5->setStyleSheet(QStringLiteral("color: blue; background: transparent;"));
  Label5->setCursor(Qt::PointingHandCursor);
  connect(Label5, &LinkLabel::clicked, this, &AboutBox::Label5Click);

  Image1 = MakePicture(panel, "Image1", QStringLiteral(":/donate_en.svg"), {44, 192, 152, 58});
  Image3 = MakePicture(panel, "Image3", QStringLiteral(":/donate_de.svg"), {69, 192, 104, 51});
  connect(Image1, &SvgPicture::clicked, this, &AboutBox::Image1Click);
  connect(Image3, &SvgPicture::clicked, this, &AboutBox::Image1Click);

  QFrame* buttonPanel = MakeSoftPanel(panel, "Panel2", {26, 292, 195, 30}, QStringLiteral("rgb(188,194,218)"));
  ButtonClose = new QPushButton(QStringLiteral("Ok"), buttonPanel);
  ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
  ButtonClose->setGeometry(1, 1, 193, 28);
  ButtonClose->setFlat(true);
  ButtonClose->setCursor(Qt::PointingHandCursor);
  ButtonClose->setDefault(true);
  ButtonClose->setStyleSheet(QStringLiteral(
      "QPushButton { border: none; background: transparent; color: black; }"
      "QPushButton:hover { background: rgb(206,211,230); }"
      "QPushButton:pressed { background: rgb(170,177,205); }"));
  connect(ButtonClose, &QPushButton::clicked, this, &AboutBox::SpeedButton1Click);
}

int AboutBox::ShowModal(int language, const QString& versionText) {
  ALanguage = language;
  LabelVersion->setText(versionText);
  if (parentWidget())  // centred on the main window
    move(parentWidget()->frameGeometry().center() - rect().center());
  return exec();
}

void AboutBox::FormShow() {
  const bool english = ALanguage != 0;
  setWindowTitle(english ? QStringLiteral("About...") : QStringLiteral("\u00dcber..."));
  Image1->setVisible(english);
  Image3->setVisible(!english);
  Label5->setText(WebSiteHost(ALanguage));
}

void AboutBox::Label5Click() { OpenLinkAndClose(WebSiteAddress(ALanguage)); }

void AboutBox::Image1Click() { OpenLinkAndClose(DonationAddress(ALanguage)); }

void AboutBox::SpeedButton1Click() { accept(); }

void AboutBox::OpenLinkAndClose(const QString& address) {
  prompter_.openUrl(address);  // a link that does not open is not reported
  accept();
}

void AboutBox::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

} // namespace framora
