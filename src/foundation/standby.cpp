#include "foundation/standby.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>

namespace roomvale {

namespace {

QPointer<TfrmStandBy>& instance() {
  static QPointer<TfrmStandBy> window;
  return window;
}

std::function<void()>& hook() {
  static std::function<void()> fn;
  return fn;
}

void runHook() {
  if (hook()) hook()();
}

}  // namespace

TfrmStandBy::TfrmStandBy(QWidget* parent) : QWidget(parent, Qt::Dialog) {
  setObjectName(QStringLiteral("frmStandBy"));
  // A dialog frame with a title but no close, minimise or maximise box: the job that shows
  // the window is the only one to hide it.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowTitle(QStringLiteral("Loading Files"));
  setFixedSize(427, 94);

  lblStandBy = new QLabel(QStringLiteral("Loading files ... standby"), this);
  lblStandBy->setObjectName(QStringLiteral("lblStandBy"));
  lblStandBy->setGeometry(24, 14, 379, 22);
  QFont font = lblStandBy->font();
  font.setBold(true);
  lblStandBy->setFont(font);

  bar = new QProgressBar(this);
  bar->setObjectName(QStringLiteral("bar"));
  bar->setGeometry(24, 46, 379, 24);
  bar->setRange(0, 100);
  bar->setValue(0);

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
}

void TfrmStandBy::FormShow() { runHook(); }
void TfrmStandBy::FormHide() { runHook(); }

void TfrmStandBy::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Restoring from minimised is not a new showing.
  if (!event->spontaneous()) FormShow();
}

void TfrmStandBy::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (!event->spontaneous()) FormHide();
}

void TfrmStandBy::closeEvent(QCloseEvent* event) {
  // The window manager may still offer a close (Alt+F4), but only the job that showed the
  // window may end it, by hiding it.
  event->ignore();
}

void TfrmStandBy::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

TfrmStandBy* frmStandBy() {
  QPointer<TfrmStandBy>& window = instance();
  if (!window) window = new TfrmStandBy;
  return window;
}

void destroyStandBy() {
  QPointer<TfrmStandBy>& window = instance();
  delete window.data();
  window = nullptr;
}

void setStandByHook(std::function<void()> hook_) { hook() = std::move(hook_); }

}  // namespace roomvale
