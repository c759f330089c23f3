#pragma once
// The start screen: product name, "Freeware", a link to the maker's site and a progress bar
// that fills in about six seconds; it closes by itself and by nothing else.
#include <QDialog>

#include <chrono>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;

namespace framora {

class Prompter;
class LinkLabel;

// What the start screen waits on: its 60 ms timer and the pause before it closes. The
// program uses a Qt timer; tests drive the ticks themselves.
class StartScreenTicks {
public:
  virtual ~StartScreenTicks() = default;
  virtual void start(std::chrono::milliseconds interval, std::function<void()> onTick) = 0;
  virtual void stop() = 0;
  virtual bool active() const = 0;
  // Blocks for the given time (the screen stays as it is).
  virtual void pause(std::chrono::milliseconds duration) = 0;
};

class FormFreeware : public QDialog {
  Q_OBJECT
public:
  static constexpr std::chrono::milliseconds TickInterval{60};
  static constexpr std::chrono::milliseconds ClosingPause{700};
  static constexpr int LastTick = 100;

  // ticks: null for the real 60 ms timer `Timer2`.
  explicit FormFreeware(Prompter& prompter, QWidget* parent = nullptr, std::unique_ptr<StartScreenTicks> ticks = {});
  ~FormFreeware() override;

  int Language = 1;   // 0 German, anything else English; set before showing
  int StartTicks = 0;

  QLabel* LabelTitle;
  QLabel* Label2;
  LinkLabel* Label3;
  QWidget* Panel1;
  QWidget* Balken;
  QPushButton* BitBtn1;

  // Title "Framora", the language, then modal until the bar is through: start-up step 15.
  int ShowModal(int language, const QString& title = QStringLiteral("Framora"));

  void ShowProgress(int percent);
  void OpenLink(const QString& address);

  void FormShow();
  void FormActivate();
  void Timer2Timer();
  void BitBtn1Click();
  void Label3Click();

  // Ends the screen only once the bar is through; Escape and the like do nothing.
  void reject() override;

protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  Prompter& prompter_;
  std::unique_ptr<StartScreenTicks> ticks_;
  bool finishing_ = false;  // the bar is through; the pause and the close follow
  bool closing_ = false;    // only BitBtn1Click lets the window go
};

} // namespace framora
