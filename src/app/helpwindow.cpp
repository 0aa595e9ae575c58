#include "app/helpwindow.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include "foundation/prompts.h"

namespace roomvale {

namespace {

QPointer<TfrmHelp>& instance() {
  static QPointer<TfrmHelp> window;
  return window;
}

constexpr int kContentsContext = 1000;

}  // namespace

TfrmHelp::TfrmHelp(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("frmHelp"));
  setWindowTitle(QStringLiteral("Roomvale Help"));
  resize(640, 560);

  browser = new QTextBrowser(this);
  browser->setObjectName(QStringLiteral("browser"));
  browser->setOpenExternalLinks(true);

  btContents = new QPushButton(QStringLiteral("&Contents"), this);
  btContents->setObjectName(QStringLiteral("btContents"));
  btBack = new QPushButton(QStringLiteral("&Back"), this);
  btBack->setObjectName(QStringLiteral("btBack"));
  btBack->setEnabled(false);
  btClose = new QPushButton(QStringLiteral("C&lose"), this);
  btClose->setObjectName(QStringLiteral("btClose"));

  connect(btContents, &QPushButton::clicked, this,
          [this] { browser->scrollToAnchor(QString::number(kContentsContext)); });
  connect(btBack, &QPushButton::clicked, browser, &QTextBrowser::backward);
  connect(browser, &QTextBrowser::backwardAvailable, btBack, &QPushButton::setEnabled);
  connect(btClose, &QPushButton::clicked, this, &QWidget::close);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btContents);
  buttons->addWidget(btBack);
  buttons->addStretch(1);
  buttons->addWidget(btClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(browser, 1);

  if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->availableGeometry().center() - rect().center());
}

void TfrmHelp::keyPressEvent(QKeyEvent* event) {
  // Like every other window of the program, Escape closes it.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool TfrmHelp::showTopic(const QString& helpFile, int context) {
  QFile probe(helpFile);
  if (!QFileInfo(helpFile).isFile() || !probe.open(QIODevice::ReadOnly)) return false;
  probe.close();

  const QUrl url = QUrl::fromLocalFile(helpFile);
  // The document's name does not end in .html, so say what it is.
  if (file_ != helpFile) browser->setSource(url, QTextDocument::HtmlResource);
  file_ = helpFile;
  context_ = context;
  browser->scrollToAnchor(QString::number(context));
  return true;
}

bool documentHasAnchor(const QTextBrowser& browser, const QString& name) {
  for (QTextBlock block = browser.document()->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.isValid() && fragment.charFormat().anchorNames().contains(name)) return true;
    }
  }
  return false;
}

void openHelpWindow(const QString& helpFile, int context) {
  QPointer<TfrmHelp>& window = instance();
  const bool fresh = !window;
  if (fresh) window = new TfrmHelp;
  if (!window->showTopic(helpFile, context)) {
    if (fresh) {
      delete window.data();
      window = nullptr;
    }
    showError(QStringLiteral("Could not open help file ") + helpFile);
    return;
  }
  window->show();
  window->raise();
  window->activateWindow();
  // Scroll again now that the document is laid out at the window's width.
  window->browser->scrollToAnchor(QString::number(context));
}

TfrmHelp* helpWindow() { return instance(); }

void closeHelpWindow() {
  QPointer<TfrmHelp>& window = instance();
  delete window.data();
  window = nullptr;
}

}  // namespace roomvale
