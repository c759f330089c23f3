#include "app/FormGif.h"

#include "app/FormConfig.h"
#include "app/FormFrage.h"
#include "app/Glyphs.h"
#include "app/Help.h"
#include "app/KeyPreview.h"
#include "app/StillView.h"
#include "app/WebSites.h"
#include "platform/Convert.h"
#include "platform/Paths.h"
#include "platform/Prompter.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>

#include <filesystem>
#include <system_error>

namespace framora {

// While a command edits the list, the grid's own current-row changes are not clicks.
struct FormGif::CommandScope {
  explicit CommandScope(FormGif& f) : form(f) { ++form.commandDepth_; }
  ~CommandScope() { --form.commandDepth_; }
  FormGif& form;
};

namespace {

// The grid's fixed column in its own colour (the frame list's model holds text only).
class FixedColumnDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;

protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == FrameListModel::PositionColumn) option->backgroundBrush = QColor(213, 213, 234);
  }
};

constexpr int kPanelAnimLeft = 350;
constexpr int kPanelAnimTop = 32;

QFont tahoma(int points) {
  QFont f(QStringLiteral("Tahoma"), points);
  f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans")});
  return f;
}

template <typename W>
W* named(W* w, const char* name) {
  w->setObjectName(QLatin1String(name));
  return w;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& r,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
  auto* l = named(new QLabel(text, parent), name);
  l->setGeometry(r);
  l->setAlignment(align);
  return l;
}

QFrame* colouredPanel(QWidget* parent, const char* name, const QRect& r, const QColor& colour) {
  auto* p = named(new QFrame(parent), name);
  p->setGeometry(r);
  p->setAutoFillBackground(true);
  QPalette pal = p->palette();
  pal.setColor(QPalette::Window, colour);
  p->setPalette(pal);
  return p;
}

QPushButton* fillingButton(QFrame* panel, const char* name, const QString& text) {
  panel->setProperty("buttonPanel", true);
  auto* b = named(new QPushButton(text, panel), name);
  b->setFlat(true);
  b->setGeometry(0, 0, panel->width(), panel->height());
  return b;
}

QToolButton* toolButton(QWidget* parent, const char* name, Glyph glyph, const QString& hint, const QRect& r) {
  auto* b = named(new QToolButton(parent), name);
  b->setAutoRaise(true);
  b->setIcon(glyphIcon(glyph));
  b->setIconSize(QSize(r.width() - 8, r.height() - 8));
  b->setToolTip(hint);
  b->setGeometry(r);
  return b;
}

QLineEdit* edit(QWidget* parent, const char* name, const QRect& r) {
  auto* e = named(new QLineEdit(parent), name);
  e->setGeometry(r);
  return e;
}

} // namespace

FormGif::FormGif(Prompter& prompter, QWidget* parent)
    : QMainWindow(parent), prompter_(prompter), systemLanguageName_(&GetSystemLanguageName) {
  setObjectName(QStringLiteral("FormGif"));
  setWindowTitle(QStringLiteral("Framora Pro"));
  setFont(tahoma(8));
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(245, 243, 245));
  setPalette(pal);
  buildControls();
  buildMenu();
  setMinimumHeight(560);
  resize(790, 600);

  connect(&editor_, &FrameListEditor::fieldsChanged, this, &FormGif::syncEdits);
  connect(&editor_, &FrameListEditor::stillPictureChanged, this, qOverload<const Bitmap&>(&FormGif::showStillPicture));
  connect(&editor_, &FrameListEditor::stillVisibleChanged, Image1, &QWidget::setVisible);
  connect(&editor_, &FrameListEditor::animationHideRequested, this, [this] {
    if (hooks.hideAnimation) hooks.hideAnimation();
    else GIFAnimator->hide();
  });
  connect(&editor_, &FrameListEditor::animationClearRequested, this, [this] {
    if (hooks.clearAnimation) hooks.clearAnimation();
  });
  connect(&editor_, &FrameListEditor::transparentColourReset, this,
          [this] { setTransparentColour(noTransparentColour()); });
  // A row made current by a command (up/down) is shown like a click on it.
  connect(&editor_, &FrameListEditor::rowMadeCurrent, this, [this](int) { SpeedButtonViewClick(); });

  new KeyPreview(this, [this](int key) {
    bool handled = false;
    FormKeyDown(key, &handled);
    return handled;
  });
}

FormGif::~FormGif() = default;

void FormGif::buildControls() {
  auto* central = named(new QWidget(this), "ClientArea");
  setCentralWidget(central);

  const struct {
    QToolButton** target;
    const char* name;
    Glyph glyph;
    const char* hint;
  } tools[] = {
      {&SpeedButton1, "SpeedButton1", Glyph::Open, "Open image files (GIF/BMP)"},
      {&SpeedButtonAdd, "SpeedButtonAdd", Glyph::Add, "Add image to list"},
      {&SpeedButtonSettings, "SpeedButtonSettings", Glyph::FrameOptions, "Set frame options"},
      {&SpeedButtonView, "SpeedButtonView", Glyph::View, "View selected image"},
      {&SpeedButton2, "SpeedButton2", Glyph::New, "New"},
      {&SpeedButtonDel, "SpeedButtonDel", Glyph::Remove, "Remove selected image "},
      {&SpeedButtonUp, "SpeedButtonUp", Glyph::Up, "Position selected image one step up"},
      {&SpeedButtonDown, "SpeedButtonDown", Glyph::Down, "Position selected image one step down"},
  };
  int x = 8;
  for (const auto& t : tools) {
    *t.target = toolButton(central, t.name, t.glyph, QString::fromUtf8(t.hint), QRect(x, 6, 32, 32));
    x += 36;
  }

  label(central, "LabelPfad", QStringLiteral(" "), QRect(8, 40, 10, 4));
  EditPfad = edit(central, "EditPfad", QRect(8, 44, 322, 22));

  StringGrid1 = named(new QTableView(central), "StringGrid1");
  StringGrid1->setGeometry(8, 70, 322, 198);
  StringGrid1->setModel(&editor_.model());
  StringGrid1->setSelectionModel(&editor_.selection());
  StringGrid1->setItemDelegate(new FixedColumnDelegate(StringGrid1));
  StringGrid1->horizontalHeader()->hide();
  StringGrid1->verticalHeader()->hide();
  StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  StringGrid1->verticalHeader()->setDefaultSectionSize(24);
  StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid1->setWordWrap(false);
  StringGrid1->setFont(tahoma(10));
  setGridColumnWidths();

  Label3 = label(central, "Label3", QStringLiteral("Position"), QRect(8, 269, 48, 16));
  Label2 = label(central, "Label2", QStringLiteral("Image file"), QRect(60, 269, 150, 16));
  // Right-aligned up to a gap before "Mode", so that the German "Verzögerung" never runs into it.
  Label8 = label(central, "Label8", QStringLiteral("Delay ms"), QRect(190, 269, 94, 16), Qt::AlignRight | Qt::AlignVCenter);
  Label1 = label(central, "Label1", QStringLiteral("Modus"), QRect(292, 269, 38, 16), Qt::AlignRight | Qt::AlignVCenter);

  Label4 = label(central, "Label4", QStringLiteral("GIF"), QRect(8, 292, 24, 22));
  Label6 = label(central, "Label6", QStringLiteral("Width"), QRect(32, 292, 42, 22));
  EditWidth = edit(central, "EditWidth", QRect(74, 292, 44, 22));
  Label5 = label(central, "Label5", QStringLiteral("X"), QRect(120, 292, 12, 22), Qt::AlignCenter);
  EditHeight = edit(central, "EditHeight", QRect(133, 292, 44, 22));
  Label7 = label(central, "Label7", QStringLiteral("Height"), QRect(181, 292, 44, 22));
  for (QLineEdit* e : {EditWidth, EditHeight}) {
    QPalette p = e->palette();
    p.setColor(QPalette::Base, QColor(229, 229, 229));
    e->setPalette(p);
  }
  LabelAnzahl = label(central, "LabelAnzahl", QStringLiteral("Images:"), QRect(224, 292, 54, 22),
                      Qt::AlignRight | Qt::AlignVCenter);
  EditAnzahl = edit(central, "EditAnzahl", QRect(282, 292, 48, 22));

  const QColor buttonPanel(188, 194, 218);
  Panel1 = colouredPanel(central, "Panel1", QRect(8, 324, 322, 30), buttonPanel);
  SpeedButtonCreate = fillingButton(Panel1, "SpeedButtonCreate", QStringLiteral("Create animated GIF"));
  Panel2 = colouredPanel(central, "Panel2", QRect(8, 358, 322, 30), buttonPanel);
  SpeedButtonLoad = fillingButton(Panel2, "SpeedButtonLoad", QStringLiteral("Load GIF"));
  Panel4 = colouredPanel(central, "Panel4", QRect(8, 392, 322, 30), buttonPanel);
  SpeedButtonBrowser = fillingButton(Panel4, "SpeedButtonBrowser", QStringLiteral("Preview in browser"));

  PanelOptions = named(new QFrame(central), "PanelOptions");
  PanelOptions->setGeometry(8, 428, 322, 26);
  auto option = [this](const char* boxName, const char* labelName, const QString& text, bool checked, int x,
                       ClickLabel*& lbl) {
    auto* box = named(new QCheckBox(PanelOptions), boxName);
    box->setChecked(checked);
    box->setGeometry(x, 3, 20, 20);
    lbl = named(new ClickLabel(text, PanelOptions), labelName);
    lbl->setGeometry(x + 20, 3, 84, 20);
    lbl->setCursor(Qt::PointingHandCursor);
    connect(lbl, &ClickLabel::clicked, box, [box] { box->setChecked(!box->isChecked()); });
    return box;
  };
  CheckBoxLoop = option("CheckBoxLoop", "LabelLoop", QStringLiteral("Schleife"), true, 4, LabelLoop);
  CheckBoxTrans = option("CheckBoxTrans", "LabelTrans", QStringLiteral("Transparent"), false, 110, LabelTrans);
  CheckBoxOpt = option("CheckBoxOpt", "LabelOptimize", QStringLiteral("Optimieren"), true, 216, LabelOptimize);

  ButtonPick = toolButton(central, "ButtonPick", Glyph::Pick, QStringLiteral("Select transparent color"),
                          QRect(8, 462, 30, 30));
  ButtonPick->setAutoRaise(false);
  PanelColor = colouredPanel(central, "PanelColor", QRect(44, 462, 50, 30), noTransparentColour());
  PanelColor->setFrameShape(QFrame::Panel);
  PanelColor->setFrameShadow(QFrame::Sunken);
  setTransparentColour(noTransparentColour());
  PanelInfo = label(central, "PanelInfo", QString(), QRect(98, 467, 250, 20));

  LabelPreview = label(central, "LabelPreview", QStringLiteral("Preview"), QRect(kPanelAnimLeft, 8, 200, 20));
  LabelPreview->setFont(tahoma(10));
  PanelAnim = colouredPanel(central, "PanelAnim", QRect(kPanelAnimLeft, kPanelAnimTop, 420, 400), QColor(243, 241, 233));
  PanelAnim->setFrameShape(QFrame::Panel);
  PanelAnim->setFrameShadow(QFrame::Sunken);
  PanelAnim->setLineWidth(2);
  Image1 = label(PanelAnim, "Image1", QString(), PanelAnim->contentsRect(), Qt::AlignLeft | Qt::AlignTop);
  Image1->setScaledContents(false);
  GIFAnimator = named(new QWidget(PanelAnim), "GIFAnimator");
  GIFAnimator->setGeometry(PanelAnim->contentsRect());
  GIFAnimator->hide();

  PanelPlay = named(new QFrame(central), "PanelPlay");
  PanelPlay->setGeometry(kPanelAnimLeft + 210, 485, 76, 34);
  ButtonStart = toolButton(PanelPlay, "ButtonStart", Glyph::Play, QString(), QRect(2, 2, 30, 30));
  ButtonStop = toolButton(PanelPlay, "ButtonStop", Glyph::Stop, QString(), QRect(38, 2, 30, 30));

  auto* bar = named(statusBar(), "StatusBar1");
  bar->setSizeGripEnabled(true);
  StatusPanel0 = named(new QLabel(bar), "StatusPanel0");
  StatusPanel0->setFixedWidth(415);
  StatusPanel0->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  StatusPanel1 = named(new QLabel(bar), "StatusPanel1");
  StatusPanel1->setFixedWidth(100);
  StatusPanel1->setAlignment(Qt::AlignCenter);
  bar->addWidget(StatusPanel0);
  bar->addWidget(StatusPanel1);

  // Edits typed into by the user feed the frame list's companion texts.
  connect(EditPfad, &QLineEdit::textEdited, &editor_, &FrameListEditor::setFolderText);
  connect(EditWidth, &QLineEdit::textEdited, &editor_, &FrameListEditor::setWidthText);
  connect(EditHeight, &QLineEdit::textEdited, &editor_, &FrameListEditor::setHeightText);
  connect(EditAnzahl, &QLineEdit::textEdited, &editor_, &FrameListEditor::setCountText);

  connect(SpeedButton1, &QToolButton::clicked, this, &FormGif::SpeedButton1Click);
  connect(SpeedButtonAdd, &QToolButton::clicked, this, &FormGif::SpeedButtonAddClick);
  connect(SpeedButtonSettings, &QToolButton::clicked, this, &FormGif::StringGrid1DblClick);
  connect(SpeedButtonView, &QToolButton::clicked, this, &FormGif::SpeedButtonViewClick);
  connect(SpeedButton2, &QToolButton::clicked, this, &FormGif::SpeedButton2Click);
  connect(SpeedButtonDel, &QToolButton::clicked, this, &FormGif::SpeedButtonDelClick);
  connect(SpeedButtonUp, &QToolButton::clicked, this, &FormGif::SpeedButtonUpClick);
  connect(SpeedButtonDown, &QToolButton::clicked, this, &FormGif::SpeedButtonDownClick);
  connect(StringGrid1, &QTableView::doubleClicked, this, &FormGif::StringGrid1DblClick);
  // The grid reports a click when the user makes a row current (mouse or keyboard) and
  // when a row is clicked again; commands that move rows report through the editor.
  connect(&editor_.selection(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            if (!current.isValid() || commandDepth_ > 0) return;
            viewedOnPress_ = true;
            SpeedButtonViewClick();
          });
  connect(StringGrid1, &QTableView::clicked, this, [this] {
    if (viewedOnPress_) viewedOnPress_ = false;
    else SpeedButtonViewClick();
  });

  auto forward = [this](QAbstractButton* b, std::function<void()> FormGifHooks::*hook) {
    connect(b, &QAbstractButton::clicked, this, [this, hook] {
      if (hooks.*hook) (hooks.*hook)();
    });
  };
  forward(SpeedButtonCreate, &FormGifHooks::createGif);
  forward(SpeedButtonLoad, &FormGifHooks::loadGif);
  forward(SpeedButtonBrowser, &FormGifHooks::previewInBrowser);
  forward(ButtonStart, &FormGifHooks::startAnimation);
  forward(ButtonStop, &FormGifHooks::stopAnimation);
  forward(ButtonPick, &FormGifHooks::pickColour);
}

void FormGif::buildMenu() {
  QMenuBar* bar = named(menuBar(), "MainMenu1");
  File1 = named(bar->addMenu(QStringLiteral("Menu")), "File1");
  Vorlagespeichern1 = named(File1->addAction(QStringLiteral("Save template")), "Vorlagespeichern1");
  Opentemplate1 = named(File1->addAction(QStringLiteral("Open template")), "Opentemplate1");
  File1->addSeparator();
  Settings1 = named(File1->addAction(QStringLiteral("Settings")), "Settings1");
  File1->addSeparator();
  AVI1 = named(File1->addAction(QStringLiteral("AVI")), "AVI1");
  File1->addSeparator();
  Quit2 = named(File1->addAction(QStringLiteral("Quit")), "Quit2");
  Options1 = named(bar->addMenu(QStringLiteral("Options")), "Options1");
  Updates1 = named(Options1->addAction(QStringLiteral("Updates")), "Updates1");
  Hilfe1 = named(Options1->addAction(QStringLiteral("Hilfe")), "Hilfe1");
  Options1->addSeparator();
  About1 = named(Options1->addAction(QStringLiteral("Info")), "About1");

  connect(Vorlagespeichern1, &QAction::triggered, this, &FormGif::Vorlagespeichern1Click);
  connect(Opentemplate1, &QAction::triggered, this, &FormGif::Opentemplate1Click);
  connect(Settings1, &QAction::triggered, this, &FormGif::Settings1Click);
  connect(Quit2, &QAction::triggered, this, &FormGif::Button4Click);
  connect(AVI1, &QAction::triggered, this, [this] {
    if (hooks.showVideoWindow) hooks.showVideoWindow(state_.LangEnglish);
  });
  connect(Updates1, &QAction::triggered, this, [this] {
    if (hooks.updatesMenu) hooks.updatesMenu();
  });
  connect(Hilfe1, &QAction::triggered, this, [this] {
    if (hooks.helpMenu) hooks.helpMenu();
  });
  connect(About1, &QAction::triggered, this, [this] {
    if (hooks.showAbout) hooks.showAbout(state_.LangEnglish);
  });
}

void FormGif::setDialogs(FormConfig* formConfig, FormFrage* formFrage) {
  formConfig_ = formConfig;
  formFrage_ = formFrage;
  auto help = [this](int context) {
    if (hooks.showHelp) hooks.showHelp(context);
  };
  if (formConfig_) formConfig_->showHelp = help;
  if (formFrage_) formFrage_->showHelp = help;
}

void FormGif::setGifAnimator(QWidget* view) {
  if (!view) return;
  const bool visible = GIFAnimator->isVisibleTo(PanelAnim);
  delete GIFAnimator;
  GIFAnimator = view;
  GIFAnimator->setParent(PanelAnim);
  GIFAnimator->setObjectName(QStringLiteral("GIFAnimator"));
  GIFAnimator->setGeometry(PanelAnim->contentsRect());
  GIFAnimator->setVisible(visible);
}

void FormGif::setStillView(QLabel* view) {
  if (!view) return;
  const bool visible = Image1->isVisibleTo(PanelAnim);
  const bool stretched = Image1->hasScaledContents();
  delete Image1;
  Image1 = view;
  Image1->setParent(PanelAnim);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Image1->setScaledContents(stretched);
  Image1->setGeometry(PanelAnim->contentsRect());
  Image1->setVisible(visible);
  GIFAnimator->raise();  // the animation view lies above the still view
  connect(&editor_, &FrameListEditor::stillVisibleChanged, Image1, &QWidget::setVisible);
}

QString FormGif::statusPath() const { return StatusPanel0->text(); }
void FormGif::setStatus(const QString& path, const QString& sizeText) {
  StatusPanel0->setText(path);
  StatusPanel1->setText(sizeText);
}
void FormGif::setStatusPath(const QString& path) { StatusPanel0->setText(path); }

QColor FormGif::transparentColour() const { return PanelColor->palette().color(QPalette::Window); }
void FormGif::setTransparentColour(const QColor& colour) {
  QPalette p = PanelColor->palette();
  p.setColor(QPalette::Window, colour);
  PanelColor->setPalette(p);
  PanelColor->setStyleSheet(QStringLiteral("#PanelColor { background-color: %1; }").arg(colour.name()));
}

bool FormGif::stillViewStretched() const { return Image1->hasScaledContents(); }

void FormGif::syncEdits() {
  auto put = [](QLineEdit* e, const QString& t) {
    if (e->text() == t) return;
    e->setText(t);
    e->setCursorPosition(0);  // long folders show their start, as typed
  };
  put(EditPfad, editor_.folderText());
  put(EditWidth, editor_.widthText());
  put(EditHeight, editor_.heightText());
  put(EditAnzahl, editor_.countText());
}

void FormGif::showStillPicture(const Bitmap& picture) { showStillPicture(widgets::toQImage(picture)); }

void FormGif::showStillPicture(const QImage& image) {
  if (hooks.showStillPicture) {
    hooks.showStillPicture(image);
    return;
  }
  stillPixmap_ = image.isNull() ? QPixmap() : QPixmap::fromImage(image);
  Image1->setPixmap(stillPixmap_);
  if (stillPixmap_.isNull()) Image1->clear();
  Image1->update();
}

void FormGif::setGridColumnWidths() {
  // 30, 190, 50, 20, unless the grid's font needs more than 50 pixels for a five-digit delay
  // (fonts standing in for Tahoma are wider); the file column gives up the difference.
  const int margin = StringGrid1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, StringGrid1) + 1;
  const int delay = std::max(50, StringGrid1->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 2 * margin + 2);
  const int widths[] = {30, 190 - (delay - 50), delay, 20};
  for (int c = 0; c < 4; ++c) StringGrid1->setColumnWidth(c, widths[c]);
}

void FormGif::FormResize() {
  const int W = width();
  const int H = height();
  PanelAnim->resize(std::max(0, W - 370), std::max(0, H - 160));
  const int half = PanelAnim->width() / 2;
  LabelPreview->move(PanelAnim->x() + half, LabelPreview->y());
  PanelPlay->move(PanelAnim->x() + half, H - 115);
  Image1->setGeometry(PanelAnim->contentsRect());
  GIFAnimator->setGeometry(PanelAnim->contentsRect());
}

void FormGif::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
}

void FormGif::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  if (QScreen* screen = this->screen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  FormShow();
}

void FormGif::FormShow() {
  CommandScope scope(*this);
  state_.PreviewHtmlFile.clear();
  state_.UpdateReplyFile.clear();
  StatusPanel0->clear();
  setGridColumnWidths();
  editor_.ClearGrid();
  state_.LangEnglish = 1;
  state_.DefaultDelay = QStringLiteral("500");
  state_.DefaultFolder.clear();
  state_.ExeFileName = executableFileName();
  const QString languageName = systemLanguageName_ ? systemLanguageName_() : QString();
  const QString appData = applicationDataFolder();
  const QString folder = appData + pathSeparator() + QStringLiteral("gifanidat") + pathSeparator();
  state_.UpdateReplyFile = temporaryFolder() + pathSeparator() + QFileInfo(state_.ExeFileName).completeBaseName() +
                           QStringLiteral(".dat");
  if (!QFileInfo(folder).isDir()) {
    // The config home itself may be missing on a fresh account, so the whole path is made.
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(folder.toStdString()), ec);
    if (ec || !QFileInfo(folder).isDir()) {
      prompter_.message(MessageKind::Error,
                        QStringLiteral("Cannot create the settings folder \"%1\": %2")
                            .arg(folder, ec ? QString::fromStdString(ec.message()) : QStringLiteral("not a folder")));
      return;
    }
  }
  state_.SettingsFile = folder + QStringLiteral("framora.ini");
  if (SystemNameMeansGerman(languageName)) state_.LangEnglish = 0;
  try {
    framora::LoadSettings(state_, memoIni_, temporaryFolder());
  } catch (const FileError& e) {
    prompter_.message(MessageKind::Error, e.text(state_.LangEnglish));
    return;
  }
  ApplyLanguage();
  if (hooks.showStartScreen) hooks.showStartScreen(state_.LangEnglish);
  if (hooks.checkForUpdate) hooks.checkForUpdate();
}

void FormGif::closeEvent(QCloseEvent* event) {
  if (!closed_) {
    closed_ = true;
    FormClose();
  }
  QMainWindow::closeEvent(event);
}

void FormGif::FormClose() {
  try {
    SaveSettings(state_, memoIni_);
    if (!state_.PreviewHtmlFile.isEmpty()) QFile::remove(state_.PreviewHtmlFile);
    if (!state_.UpdateReplyFile.isEmpty()) QFile::remove(state_.UpdateReplyFile);
  } catch (...) {
    // Closing reports nothing.
  }
}

void FormGif::FormKeyDown(int key, bool* handled) {
  bool done = true;
  if (key == Qt::Key_F1) {
    if (hooks.showHelp) hooks.showHelp(1);
  } else if (key == Qt::Key_F4) {
    CheckBoxStrechClick();
  } else {
    done = false;
  }
  if (handled) *handled = done;
}

void FormGif::CheckBoxStrechClick() { Image1->setScaledContents(!Image1->hasScaledContents()); }

void FormGif::Button4Click() {
  if (hooks.releaseCurrentGif) hooks.releaseCurrentGif();
  close();
}

void FormGif::OpenWebPage(const QString& address) {
  if (!prompter_.openUrl(address))
    prompter_.message(MessageKind::Warning, QStringLiteral("Could not open webpage!"), QStringLiteral("Error"));
}

void FormGif::LoadSettings() {
  try {
    framora::LoadSettings(state_, memoIni_, temporaryFolder());
  } catch (const FileError& e) {
    prompter_.message(MessageKind::Error, e.text(state_.LangEnglish));
  }
}

void FormGif::Settings1Click() {
  if (!formConfig_) return;
  formConfig_->DefaultDir = documentsFolder();
  formConfig_->CurLanguage = state_.LangEnglish;
  formConfig_->IniDatei = state_.SettingsFile;
  formConfig_->exec();
  LoadSettings();
  ApplyLanguage();
}

void FormGif::ApplyLanguage() {
  const bool en = state_.LangEnglish != 0;
  auto t = [en](const char* english, const char* german) {
    return en ? QString::fromUtf8(english) : QString::fromUtf8(german);
  };
  helpFile_ = HelpFilePath(state_.LangEnglish);
  editor_.language = state_.LangEnglish;
  webSiteUrl_ = WebSiteAddress(state_.LangEnglish);

  LabelPreview->setText(t("Preview", "Vorschau"));
  Label1->setText(t("Mode", "Modus"));
  Label2->setText(t("Image file", "Bilddatei"));
  Label8->setText(t("Frame delay", "Verzögerung"));
  Label6->setText(t("Width", "Breite"));
  Label7->setText(t("Height", "Höhe"));
  LabelAnzahl->setText(t("Images:", "Bilder:"));
  LabelLoop->setText(t("Loop", "Schleife"));
  LabelOptimize->setText(t("Optimize", "Optimieren"));
  SpeedButtonCreate->setText(t("Create animated GIF", "Animiertes GIF erstellen"));
  SpeedButtonLoad->setText(t("Load animated GIF", "Animiertes GIF laden"));
  SpeedButtonBrowser->setText(t("Preview in browser", "Vorschau im Browser"));
  ButtonStart->setToolTip(t("Start animation", "Animation starten"));
  ButtonStop->setToolTip(t("Stop animation", "Animation stoppen"));
  SpeedButton1->setToolTip(t("Load images(GIF/BMP)", "Bilder laden (GIF/BMP)"));
  SpeedButtonView->setToolTip(t("View selected image", "Ausgewähltes Bild ansehen"));
  SpeedButton2->setToolTip(t("New", "Neu"));
  SpeedButtonUp->setToolTip(t("Position selected image up", "Ausgewähltes Bild nach oben verschieben"));
  SpeedButtonDown->setToolTip(t("Position selected image down", "Ausgewähltes Bild nach unten verschieben"));
  SpeedButtonDel->setToolTip(t("Remove selected image", "Ausgewähltes Bild entfernen"));
  SpeedButtonAdd->setToolTip(t("Add more image files", "Weitere Bilddateien hinzufügen"));
  SpeedButtonSettings->setToolTip(t("Set frame options", "Einzelbildeinstellungen festlegen/ändern"));
  ButtonPick->setToolTip(t("Select transparent color", "Transparentfarbe auswählen"));

  File1->setTitle(t("File", "Datei"));
  Vorlagespeichern1->setText(t("Save animation data", "Animationsdaten speichern"));
  Opentemplate1->setText(t("Load animation data", "Animationsdaten laden"));
  Settings1->setText(t("Settings", "Einstellungen"));
  Quit2->setText(t("Quit", "Beenden"));
  Options1->setTitle(t("Options", "Optionen"));
  Hilfe1->setText(t("Help", "Hilfe"));

  texts_ = MessageTextsFor(state_.LangEnglish);
}

void FormGif::SpeedButton1Click() {
  CommandScope scope(*this);
  editor_.OpenImages(prompter_, state_.DefaultFolder, state_.DefaultDelay);
}
void FormGif::SpeedButtonAddClick() {
  CommandScope scope(*this);
  editor_.SpeedButtonAddClick(prompter_, state_.DefaultFolder, state_.DefaultDelay);
}
void FormGif::SpeedButtonDelClick() {
  CommandScope scope(*this);
  editor_.SpeedButtonDelClick(prompter_);
}
void FormGif::SpeedButtonUpClick() {
  CommandScope scope(*this);
  editor_.SpeedButtonUpClick();
}
void FormGif::SpeedButtonDownClick() {
  CommandScope scope(*this);
  editor_.SpeedButtonDownClick();
}
void FormGif::SpeedButton2Click() {
  CommandScope scope(*this);
  editor_.SpeedButton2Click();
}
void FormGif::Vorlagespeichern1Click() {
  CommandScope scope(*this);
  editor_.SaveTemplate(prompter_, state_.DefaultFolder);
}
void FormGif::Opentemplate1Click() {
  CommandScope scope(*this);
  editor_.LoadTemplate(prompter_, state_.DefaultFolder);
}

void FormGif::SpeedButtonViewClick() {
  if (hooks.viewSelectedImage) {
    hooks.viewSelectedImage();
    return;
  }
  // Until the preview commands are wired in: show the current row's picture.
  Image1->show();
  const int r = editor_.currentRow();
  if (r < 0) return;
  GIFAnimator->hide();
  try {
    showStillPicture(editor_.picture(editor_.framePath(r)));
  } catch (const FileError& e) {
    prompter_.message(MessageKind::Error, e.text(state_.LangEnglish));
  }
}

void FormGif::StringGrid1DblClick() {
  if (!formFrage_) return;
  CommandScope scope(*this);
  editor_.StringGrid1DblClick([this](const QString& delayText) {
    formFrage_->EditDelay->setText(delayText);
    formFrage_->Language = state_.LangEnglish;
    formFrage_->exec();
    return FrameOptionsAnswer{formFrage_->CurDelay, formFrage_->NewDisposal, formFrage_->ForAll};
  });
}

} // namespace framora
