#include "finders/cache.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

#include "finders/cachesources.h"
#include "finders/finderparts.h"
#include "foundation/clock.h"
#include "foundation/inifile.h"
#include "foundation/prompts.h"
#include "foundation/settings.h"
#include "platform/paths.h"
#include "scan/deletionrequest.h"

namespace roomvale {

namespace {

const QString kSection = QStringLiteral("CacheFiles");
constexpr int kPathRole = Qt::UserRole;

}  // namespace

int openInternetCache(QWidget* owner) {
  TfrmCache window(owner);
  return window.exec();
}

TfrmCache::TfrmCache(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmCache"));
  setWindowTitle(QStringLiteral("Internet Browser Cache Folders"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  lblTitle = makeLabel(this, "lblTitle", QStringLiteral("Internet Browser Cache Folders"));
  QFont big = lblTitle->font();
  big.setPointSizeF(big.pointSizeF() * 1.5);
  big.setBold(true);
  lblTitle->setFont(big);
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  lblNote = makeLabel(
      this, "lblNote",
      QStringLiteral("As you use the internet, temporary files are saved in a disk cache which can grow quite large.  "
                     "To reclaim disk space you can decrease the amount of space that the cache uses (see your "
                     "internet browser documentation) or you can periodically clear it out."));
  lblNote->setWordWrap(true);
  lblAge = makeLabel(this, "lblAge", QStringLiteral("Clear all files that have not been accessed in "));
  nDays = new QSpinBox(this);
  nDays->setObjectName(QStringLiteral("nDays"));
  nDays->setRange(0, 100);
  lblDays = makeLabel(this, "lblDays", QStringLiteral("days"));
  btAdd = makeButton(this, "btAdd", QStringLiteral("&Add a folder"), QString());
  btDel = makeButton(this, "btDel", QStringLiteral("&Delete a folder"), QString());
  btInit = makeButton(this, "btInit", QStringLiteral("&Initialize"), QString());
  btClear = makeButton(this, "btClear", QStringLiteral("&Clear internet cache"), QString());
  btClear->setDefault(true);
  btClose = makeButton(this, "btClose", QStringLiteral("Close"), QStringLiteral("Close window"));

  auto* listRow = new QHBoxLayout;
  listRow->addWidget(ListBox1, 1);
  auto* side = new QVBoxLayout;
  side->addWidget(btAdd);
  side->addWidget(btDel);
  side->addWidget(btInit);
  side->addStretch();
  listRow->addLayout(side);
  auto* ageRow = new QHBoxLayout;
  ageRow->addWidget(lblAge);
  ageRow->addWidget(nDays);
  ageRow->addWidget(lblDays);
  ageRow->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btClear);
  buttons->addWidget(btClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblTitle);
  layout->addLayout(listRow, 1);
  layout->addWidget(lblNote);
  layout->addLayout(ageRow);
  layout->addLayout(buttons);
  resize(620, 420);

  connect(btAdd, &QPushButton::clicked, this, &TfrmCache::btAddClick);
  connect(btDel, &QPushButton::clicked, this, &TfrmCache::btDelClick);
  connect(btInit, &QPushButton::clicked, this, &TfrmCache::btInitClick);
  connect(btClear, &QPushButton::clicked, this, &TfrmCache::btClearClick);
  connect(btClose, &QPushButton::clicked, this, &TfrmCache::btCloseClick);
}

void TfrmCache::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!shown_ && !event->spontaneous()) {
    shown_ = true;
    FormShow();
  }
}

void TfrmCache::FormShow() {
  ListBox1->clear();
  ReadInFromDisk();
  nDays->setValue(0);
  btInit->setVisible(ListBox1->count() == 0);
  btClear->setFocus();
}

void TfrmCache::addFolder(const std::string& folder) {
  auto* item = new QListWidgetItem(platform::toDisplay(folder), ListBox1);
  item->setData(kPathRole, QByteArray::fromStdString(folder));
}

std::vector<std::string> TfrmCache::folders() const {
  std::vector<std::string> out;
  for (int i = 0; i < ListBox1->count(); ++i)
    out.push_back(ListBox1->item(i)->data(kPathRole).toByteArray().toStdString());
  return out;
}

void TfrmCache::ReadInFromDisk() {
  // The sources are consulted only while no list has ever been stored.
  if (ReadInteger(kSection, QStringLiteral("Number"), -1) < 0) {
    for (const std::string& f : firstRunCacheFolders()) addFolder(f);
    return;
  }
  for (const QString& f : readListSection(kSection, {}, false)) addFolder(platform::fromDisplay(f));
}

void TfrmCache::WriteOutToDisk() {
  const std::vector<std::string> list = folders();
  // Stored whole: a folder name may hold a TAB, which list entries of types are cut at.
  updateSettings([&](IniDocument& doc) {
    IniSection& s = doc.sectionForWrite(kSection);
    s.set(QStringLiteral("Number"), QString::number(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i)
      s.set(QStringLiteral("File") + QString::number(i + 1), platform::toDisplay(list[i]));
    return true;
  });
}

void TfrmCache::btAddClick() {
  const auto folder = prompts().chooseFolder(QStringLiteral("Select an internet Cache folder"), QString(), "/");
  if (!folder) return;
  addFolder(*folder);
  btInit->hide();  // shown only while the list is empty
}

void TfrmCache::btDelClick() {
  QListWidgetItem* item = ListBox1->currentItem();
  if (!item || !item->isSelected()) {
    showError(QStringLiteral("Select a folder from the list above"));
  } else if (confirm(QStringLiteral("Really delete ") + item->text(), Buttons::OkCancel, Answer::Ok) == Answer::Ok) {
    delete item;
  }
  if (ListBox1->count() == 0) btInit->show();
}

void TfrmCache::btInitClick() {
  for (const std::string& f : initializeCacheFolders()) addFolder(f);
  btInit->hide();
  if (ListBox1->count() == 0) {
    btInit->show();
    showInfo(
        QStringLiteral("Could not find any internet cache folders on your machine.  You may add them in "
                       "manually if you know where they are located.  Typically they will exist under your "
                       "browser folder with the folder name of \"cache\"."));
  }
}

void TfrmCache::btClearClick() {
  lb1.clear();
  clearTotal = 0;
  CacheClearList found = collectCacheFiles(folders(), nDays->value(), now().date());
  if (found.paths.empty()) {
    showError(QStringLiteral("No files found to clear"));
    return;
  }
  lb1 = std::move(found.paths);
  clearTotal = found.totalBytes;
  openDeletionReview(this, DeletionRequest{lb1, clearTotal, QStringLiteral("InternetCache"), {}});
  // Whatever the review did, the window stays open with nothing in hand.
  lb1.clear();
  clearTotal = 0;
}

void TfrmCache::btCloseClick() { close(); }

void TfrmCache::done(int result) {
  FormClose();
  QDialog::done(result);
}

void TfrmCache::FormClose() { WriteOutToDisk(); }

}  // namespace roomvale
