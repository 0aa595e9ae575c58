#include "app/mainform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyleFactory>
#include <QTimer>
#include <QToolTip>
#include <memory>

#include "app/about.h"
#include "app/artwork.h"
#include "app/datefix.h"
#include "app/launch.h"
#include "app/splash.h"
#include "foundation/prompts.h"
#include "platform/paths.h"

namespace roomvale {

namespace {

constexpr int kClientWidth = 602;
constexpr int kClientHeight = 427;
constexpr int kTitleHeight = 77;
constexpr QSize kPanelSize{210, 40};
constexpr int kLeftColumn = 62;
constexpr int kRightColumn = kClientWidth - kLeftColumn - 210;
constexpr int kFirstRow = 86;
constexpr int kRowStep = 50;
constexpr int kShadowOffset = 5;
constexpr int kOffScreenTop = 1000;
constexpr int kHintPauseMs = 1000;
constexpr int kSplashDelayMs = 3000;
constexpr int kHelpContext = 1000;

const QColor kInkOnTile(0x1a, 0x2a, 0x5a);
const QColor kInkOnGradient(0xf0, 0xf4, 0xff);

void setInk(QLabel* label, const QColor& ink) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, ink);
  label->setPalette(palette);
}

// Pale yellow hints.
const QColor kHintColour(0xF5, 0xF9, 0x88);

class TileBackground final : public QWidget {
 public:
  explicit TileBackground(QWidget* parent) : QWidget(parent), tile_(artwork::backgroundTile()) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.drawTiledPixmap(rect(), tile_);
  }

 private:
  QPixmap tile_;
};

class GradientBackground final : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    artwork::paintGradient(p, rect());
  }
};

class ShadowStrip final : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    artwork::paintShadow(p, rect());
  }
};

// Sets the pause before a hint appears, for every window of the run.
class HintStyle final : public QProxyStyle {
 public:
  explicit HintStyle(const QString& base) : QProxyStyle(QStyleFactory::create(base)) {
    setObjectName(QStringLiteral("RoomvaleHintStyle"));
  }
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_ToolTip_WakeUpDelay) return kHintPauseMs;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

void applyHintSettings() {
  QPalette palette = QToolTip::palette();
  palette.setColor(QPalette::ToolTipBase, kHintColour);
  palette.setColor(QPalette::ToolTipText, Qt::black);
  QToolTip::setPalette(palette);
  QStyle* current = QApplication::style();
  if (current && current->objectName() != QLatin1String("RoomvaleHintStyle"))
    QApplication::setStyle(new HintStyle(current->name()));
}

}  // namespace

bool useGradientBackground(int colourDepthBits) { return colourDepthBits < 15; }

QString applicationHelpFile() { return platform::toDisplay(platform::programDataFile("rmvl30.hlp")); }

TfrmMain::TfrmMain(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("frmMain"));
  // Fixed single border: system menu, minimise and close, no maximise.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setWindowTitle(QStringLiteral("Roomvale Version 3.3 from Fernholt Corporation"));
  setFixedSize(kClientWidth, kClientHeight);

  EsGradient1 = new GradientBackground(this);
  EsGradient1->setObjectName(QStringLiteral("EsGradient1"));
  EsGradient1->setGeometry(0, kOffScreenTop, kClientWidth, kClientHeight);

  EsTile1 = new TileBackground(this);
  EsTile1->setObjectName(QStringLiteral("EsTile1"));
  EsTile1->setGeometry(rect());

  EsLabel1 = new QLabel(QStringLiteral("Roomvale"), this);
  EsLabel1->setObjectName(QStringLiteral("EsLabel1"));
  EsLabel1->setGeometry(0, 0, kClientWidth, kTitleHeight);
  EsLabel1->setAlignment(Qt::AlignCenter);
  QFont titleFont(QStringLiteral("DejaVu Serif"));
  titleFont.setPixelSize(46);
  titleFont.setBold(true);
  EsLabel1->setFont(titleFont);
  setInk(EsLabel1, kInkOnTile);

  using artwork::Glyph;
  auto at = [](int column, int row) { return QPoint(column, kFirstRow + row * kRowStep); };
  btDuplicate = toolButton("btDuplicate", QStringLiteral("&Duplicate files"), QStringLiteral("Locate duplicate files"),
                           artwork::glyph(Glyph::Duplicates), at(kLeftColumn, 0));
  btFileHog = toolButton("btFileHog", QStringLiteral("&File hogs"), QStringLiteral("Locate large files"),
                         artwork::glyph(Glyph::FileHogs), at(kLeftColumn, 1));
  btFiles = toolButton("btFiles", QStringLiteral("Files &accessed"), QStringLiteral("Locate old and recent files"),
                       artwork::glyph(Glyph::FilesAccessed), at(kLeftColumn, 2));
  btDirHogs =
      toolButton("btDirHogs", QStringLiteral("Folder &hogs"), QStringLiteral("Locate folders taking the most space"),
                 artwork::glyph(Glyph::FolderHogs), at(kLeftColumn, 3));
  btClean = toolButton("btClean", QStringLiteral("&Quick clean"), QStringLiteral("Quickly clean up temporary files"),
                       artwork::glyph(Glyph::QuickClean), at(kLeftColumn, 4));
  btStatistic = toolButton("btStatistic", QStringLiteral("&Statistics"), QStringLiteral("Compute disk statistics"),
                           artwork::glyph(Glyph::Statistics), at(kRightColumn, 0));
  btBrowse = toolButton("btBrowse", QStringLiteral("&Browse"), QStringLiteral("Browse through disks/folders"),
                        artwork::glyph(Glyph::Browse), at(kRightColumn, 1));
  btClearCache = toolButton("btClearCache", QStringLiteral("&Clear internet files"),
                            QStringLiteral("Clean up web browser cache folders"), artwork::glyph(Glyph::InternetFiles),
                            at(kRightColumn, 2));
  btZip = toolButton("btZip", QStringLiteral("&Unzip archive files"),
                     QStringLiteral("Unzip files that have been zipped up by Roomvale (compressed)"),
                     artwork::glyph(Glyph::Unzip), at(kRightColumn, 3));
  btBuild = toolButton("btBuild", QStringLiteral("Build &safe harbor"),
                       QStringLiteral("Build list of folders that will not be deleted in Roomvale without warning"),
                       artwork::glyph(Glyph::SafeHarbor), at(kRightColumn, 4));

  // The bottom row of plain buttons.
  constexpr int bottomWidth = 96, bottomHeight = 30, bottomGap = 24, bottomTop = 348;
  constexpr int bottomLeft = (kClientWidth - 3 * bottomWidth - 2 * bottomGap) / 2;
  auto plain = [this](const char* name, const QString& caption, int index) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(bottomLeft + index * (bottomWidth + bottomGap), bottomTop, bottomWidth, bottomHeight);
    return button;
  };
  btReach = plain("btReach", QStringLiteral("Ab&out"), 0);
  btHelp = plain("btHelp", QStringLiteral("H&elp"), 1);
  btClose = plain("btClose", QStringLiteral("E&xit"), 2);
  btClose->setToolTip(QStringLiteral("Quit and close "));

  // The maker's name and address open the About window.
  EsLabel2 = new QLabel(QStringLiteral("Fernholt Corporation"), this);
  EsLabel2->setObjectName(QStringLiteral("EsLabel2"));
  EsLabel2->setGeometry(12, 396, 260, 22);
  EsLabel2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  EsLabel3 = new QLabel(makerWebAddress(), this);
  EsLabel3->setObjectName(QStringLiteral("EsLabel3"));
  EsLabel3->setGeometry(kClientWidth - 12 - 260, 396, 260, 22);
  EsLabel3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  for (QLabel* label : {EsLabel2, EsLabel3}) {
    QFont font = label->font();
    font.setBold(true);
    font.setItalic(true);
    label->setFont(font);
    setInk(label, kInkOnTile);
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
  }

  connect(btDuplicate, &QPushButton::clicked, this, &TfrmMain::btDuplicateClick);
  connect(btFileHog, &QPushButton::clicked, this, &TfrmMain::btFileHogClick);
  connect(btFiles, &QPushButton::clicked, this, &TfrmMain::btFilesClick);
  connect(btDirHogs, &QPushButton::clicked, this, &TfrmMain::btDirHogsClick);
  connect(btClean, &QPushButton::clicked, this, &TfrmMain::btCleanClick);
  connect(btStatistic, &QPushButton::clicked, this, &TfrmMain::btStatisticClick);
  connect(btBrowse, &QPushButton::clicked, this, &TfrmMain::btBrowseClick);
  connect(btClearCache, &QPushButton::clicked, this, &TfrmMain::btClearCacheClick);
  connect(btZip, &QPushButton::clicked, this, &TfrmMain::btZipClick);
  connect(btBuild, &QPushButton::clicked, this, &TfrmMain::btBuildClick);
  connect(btReach, &QPushButton::clicked, this, &TfrmMain::btReachClick);
  connect(btHelp, &QPushButton::clicked, this, &TfrmMain::btHelpClick);
  connect(btClose, &QPushButton::clicked, this, &TfrmMain::btCloseClick);

  // Left column, right column, then the bottom row.
  const QList<QWidget*> order{btDuplicate,  btFileHog, btFiles, btDirHogs, btClean, btStatistic, btBrowse,
                              btClearCache, btZip,     btBuild, btReach,   btHelp,  btClose};
  for (qsizetype i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);

  tmSplash = new QTimer(this);
  tmSplash->setObjectName(QStringLiteral("tmSplash"));
  tmSplash->setSingleShot(true);
  tmSplash->setInterval(kSplashDelayMs);
  connect(tmSplash, &QTimer::timeout, this, &TfrmMain::tmSplashTimer);

  if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->availableGeometry().center() - rect().center());

  FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::setSplash(TfrmSplash* splash) { splash_ = splash; }
TfrmSplash* TfrmMain::splash() const { return splash_; }

QPushButton* TfrmMain::toolButton(const char* name, const QString& caption, const QString& hint, const QIcon& glyph,
                                  const QPoint& panelAt) {
  const QString suffix = QLatin1String(name).mid(2);
  auto* shadow = new ShadowStrip(this);
  shadow->setObjectName(QStringLiteral("shd") + suffix);
  shadow->setGeometry(QRect(panelAt + QPoint(kShadowOffset, kShadowOffset), kPanelSize));

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("pnl") + suffix);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setLineWidth(2);
  panel->setAutoFillBackground(true);
  panel->setGeometry(QRect(panelAt, kPanelSize));

  auto* button = new QPushButton(glyph, caption, panel);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(panel->rect().adjusted(3, 3, -3, -3));
  button->setIconSize(QSize(24, 24));
  button->setToolTip(hint);
  return button;
}

void TfrmMain::FormCreate() { applyFix2000(); }

void TfrmMain::FormShow() {
  launch::clearProtectionCache();
  const QScreen* display = screen();
  applyColourDepth(display ? display->depth() : 24);
  launch::getDefaultZipPath();
  GetSearchPath();
  applyHintSettings();
  helpFile_ = applicationHelpFile();
  tmSplash->start();
}

void TfrmMain::applyColourDepth(int bits) {
  const bool gradient = useGradientBackground(bits);
  if (gradient) {
    EsGradient1->setGeometry(rect());
    EsTile1->move(0, kOffScreenTop);
  } else {
    EsTile1->setGeometry(rect());
    EsGradient1->move(0, kOffScreenTop);
  }
  EsGradient1->lower();
  EsTile1->lower();
  // Dark ink on the pale tile, light ink on the dark gradient.
  for (QLabel* label : {EsLabel1, EsLabel2, EsLabel3}) setInk(label, gradient ? kInkOnGradient : kInkOnTile);
}

void TfrmMain::GetSearchPath() { safeHarborMissing_ = launch::loadSafeHarborLists(); }

void TfrmMain::tmSplashTimer() {
  tmSplash->stop();
  if (splash_) {
    splash_->close();
    delete splash_.data();
  }
}

bool TfrmMain::checkExceptionList() {
  if (!safeHarborMissing_) return true;
  showError(QStringLiteral(
      "The Safe Harbor list of folders/files not to delete has not been created yet.  Click on the Build Safe "
      "Harbor button to initialize."));
  return false;
}

void TfrmMain::btDuplicateClick() {
  if (!checkExceptionList()) return;
  findDuplicates_ = true;
  launch::openTool(launch::Tool::Duplicates, this, findDuplicates_);
}

void TfrmMain::btFileHogClick() {
  if (!checkExceptionList()) return;
  findDuplicates_ = false;
  launch::openTool(launch::Tool::Duplicates, this, findDuplicates_);
}

void TfrmMain::btFilesClick() {
  if (!checkExceptionList()) return;
  launch::openTool(launch::Tool::FilesByDate, this, findDuplicates_);
}

void TfrmMain::btDirHogsClick() {
  if (!checkExceptionList()) return;
  launch::openTool(launch::Tool::FolderHogs, this, findDuplicates_);
}

void TfrmMain::btCleanClick() {
  if (!checkExceptionList()) return;
  launch::openTool(launch::Tool::QuickClean, this, findDuplicates_);
}

void TfrmMain::btStatisticClick() { launch::openTool(launch::Tool::Statistics, this, findDuplicates_); }

void TfrmMain::btBrowseClick() {
  if (!checkExceptionList()) return;
  launch::openTool(launch::Tool::Browse, this, findDuplicates_);
}

void TfrmMain::btClearCacheClick() {
  if (!checkExceptionList()) return;
  launch::openTool(launch::Tool::InternetCache, this, findDuplicates_);
}

void TfrmMain::btZipClick() { launch::openTool(launch::Tool::Unzip, this, findDuplicates_); }

void TfrmMain::btBuildClick() {
  // Reload after a change so that the finder buttons follow the saved list at once.
  if (launch::openSafeHarbor(this, safeHarborMissing_)) GetSearchPath();
}

void TfrmMain::btReachClick() {
  auto about = std::make_unique<TfrmAbout>(this);
  about->exec();
}

void TfrmMain::btHelpClick() {
  helpFile_ = applicationHelpFile();
  prompts().showHelp(helpFile_, kHelpContext);
}

void TfrmMain::btCloseClick() { close(); }

void TfrmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Restoring from minimised is not a new showing.
  if (!event->spontaneous()) FormShow();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted()) emit closed();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == EsLabel2 || watched == EsLabel3) && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    btReachClick();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace roomvale
