#include "safeharbor/nodelete.h"

#include <unistd.h>
#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cerrno>
#include <memory>

#include "foundation/clock.h"
#include "foundation/prompts.h"
#include "foundation/pump.h"
#include "foundation/settings.h"
#include "platform/paths.h"
#include "safeharbor/edfolder.h"
#include "safeharbor/harborlist.h"
#include "safeharbor/keeplist.h"
#include "safeharbor/safeharbor.h"

namespace roomvale {

namespace {

const QString kNotRecorded = QStringLiteral("Not recorded");

// The hourglass for the life of a scope.
struct WaitCursor {
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

QString longDate(const QDateTime& when) { return QLocale::system().toString(when.date(), QLocale::LongFormat); }

}  // namespace

TfrmNoDelete::TfrmNoDelete(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("frmNoDelete"));
  setWindowTitle(QStringLiteral("Safe Harbor - List of folders that should not be deleted"));
  setModal(true);
  resize(680, 540);

  EsLabel1 = new QLabel(QStringLiteral("Safe harbor - folders/files not to delete"), this);
  EsLabel1->setObjectName(QStringLiteral("EsLabel1"));
  QFont headingFont = EsLabel1->font();
  headingFont.setPointSizeF(headingFont.pointSizeF() * 1.6);
  headingFont.setBold(true);
  EsLabel1->setFont(headingFont);

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  TabSheet1 = new QWidget;
  TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  TabSheet2 = new QWidget;
  TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
  PageControl1->addTab(TabSheet1, QStringLiteral("Folders not to delete"));
  PageControl1->addTab(TabSheet2, QStringLiteral("File types not to delete"));

  auto makeButton = [](QWidget* parent, const char* name, const QString& caption, const QString& hint) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
  };
  auto makeLabel = [](QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
  };

  // Page "Folders not to delete".
  ListBox1 = new QListWidget(TabSheet1);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListBox1->setToolTip(QStringLiteral("Drag the mouse over the list to select multiple folders"));
  lblInfo = makeLabel(TabSheet1, "lblInfo",
                      QStringLiteral("This is a list of folders that are referenced in your configuration files.  When "
                                     "deleting a file or folders, Roomvale will check this list of folders and warn "
                                     "you before deleting the files within the folder.  You may add or delete from "
                                     "this list."));
  lblInfo->setWordWrap(true);
  lblInfo2 = makeLabel(TabSheet1, "lblInfo2",
                       QStringLiteral("Those folders that are marked with *.* include ALL sub-folders.  Note: It is "
                                      "recommended that you rebuild this list after installing or uninstalling "
                                      "programs."));
  lblInfo2->setWordWrap(true);
  lblWhenCaption = makeLabel(TabSheet1, "lblWhenCaption", QStringLiteral("Date of last build:"));
  lblWhen = makeLabel(TabSheet1, "lblWhen", QString());
  lblTodayCaption = makeLabel(TabSheet1, "lblTodayCaption", QStringLiteral("Today's date:"));
  lblToday = makeLabel(TabSheet1, "lblToday", QString());
  lblCount = makeLabel(TabSheet1, "lblCount", QString());
  btAdd = makeButton(TabSheet1, "btAdd", QStringLiteral("&Add"), QStringLiteral("Add a new folder to this list"));
  btDel = makeButton(TabSheet1, "btDel", QStringLiteral("&Delete"),
                     QStringLiteral("Delete a folder.  Select multiple folders above to delete more than one."));
  btEdit = makeButton(TabSheet1, "btEdit", QStringLiteral("&Edit"), QStringLiteral("Edit a folder"));
  btBuild = makeButton(TabSheet1, "btBuild", QStringLiteral("Build list of folders"),
                       QStringLiteral("Build the list of folders referenced in the configuration files"));
  btBuild->setDefault(true);

  auto* dates = new QGridLayout;
  dates->addWidget(lblWhenCaption, 0, 0);
  dates->addWidget(lblWhen, 0, 1);
  dates->addWidget(lblTodayCaption, 1, 0);
  dates->addWidget(lblToday, 1, 1);
  dates->addWidget(lblCount, 0, 2, Qt::AlignRight);
  dates->setColumnStretch(1, 1);
  auto* folderButtons = new QHBoxLayout;
  folderButtons->addWidget(btAdd);
  folderButtons->addWidget(btDel);
  folderButtons->addWidget(btEdit);
  folderButtons->addStretch(1);
  folderButtons->addWidget(btBuild);
  auto* page1 = new QVBoxLayout(TabSheet1);
  page1->addWidget(ListBox1, 1);
  page1->addWidget(lblInfo);
  page1->addWidget(lblInfo2);
  page1->addLayout(dates);
  page1->addLayout(folderButtons);

  // Page "File types not to delete".
  PickList1 = new QListWidget(TabSheet2);
  PickList1->setObjectName(QStringLiteral("PickList1"));
  PickList1->setToolTip(QStringLiteral("File extensions/types of files NOT to delete"));
  lblTypes = makeLabel(TabSheet2, "lblTypes",
                       QStringLiteral("These file types as indicated by the file extension will NOT be deleted by "
                                      "Roomvale.  When deleting files, you will be warned if one of the files matches "
                                      "the types above.  "));
  lblTypes->setWordWrap(true);
  lblTypes2 = makeLabel(TabSheet2, "lblTypes2",
                        QStringLiteral("You can over-ride this setting by simply moving the file off of the safe "
                                       "harbor area when deleting the files."));
  lblTypes2->setWordWrap(true);
  BitBtn1 =
      makeButton(TabSheet2, "BitBtn1", QStringLiteral("Add/Delete"), QStringLiteral("Add, delete file extensions"));
  auto* typeButtons = new QHBoxLayout;
  typeButtons->addStretch(1);
  typeButtons->addWidget(BitBtn1);
  auto* page2 = new QVBoxLayout(TabSheet2);
  page2->addWidget(PickList1, 1);
  page2->addWidget(lblTypes);
  page2->addWidget(lblTypes2);
  page2->addLayout(typeButtons);

  btClose = makeButton(this, "btClose", QStringLiteral("Close"), QStringLiteral("Close window"));
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(btClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(EsLabel1);
  layout->addWidget(PageControl1, 1);
  layout->addLayout(bottom);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setSingleShot(true);
  Timer1->setInterval(1000);

  connect(btAdd, &QPushButton::clicked, this, [this] { btAddClick(); });
  connect(btDel, &QPushButton::clicked, this, [this] { btDelClick(); });
  connect(btEdit, &QPushButton::clicked, this, [this] { btEditClick(); });
  connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { btEditClick(); });
  connect(btBuild, &QPushButton::clicked, this, [this] { btBuildClick(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(btClose, &QPushButton::clicked, this, [this] { btCloseClick(); });
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

TfrmNoDelete::~TfrmNoDelete() = default;

std::string TfrmNoDelete::entryOf(const QListWidgetItem* item) {
  const QByteArray bytes = item->data(Qt::UserRole).toByteArray();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void TfrmNoDelete::ListBox1DrawItem(QListWidgetItem* item) {
  QFont font = item->font();
  font.setBold(isWholeTreeEntry(entryOf(item)));
  item->setFont(font);
}

QListWidgetItem* TfrmNoDelete::makeItem(const std::string& entry) const {
  auto* item = new QListWidgetItem(platform::toDisplay(entry));
  // The entry keeps its own bytes; the text is only for display.
  item->setData(Qt::UserRole, QByteArray(entry.data(), static_cast<qsizetype>(entry.size())));
  ListBox1DrawItem(item);
  return item;
}

std::vector<std::string> TfrmNoDelete::entries() const {
  std::vector<std::string> out;
  out.reserve(static_cast<size_t>(ListBox1->count()));
  for (int i = 0; i < ListBox1->count(); ++i) out.push_back(entryOf(ListBox1->item(i)));
  return out;
}

void TfrmNoDelete::setEntries(const std::vector<std::string>& list) {
  ListBox1->clear();
  for (const auto& e : list) ListBox1->addItem(makeItem(e));
}

void TfrmNoDelete::insertSorted(const std::string& entry) {
  int lo = 0, hi = ListBox1->count();
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (compareNoCase(entryOf(ListBox1->item(mid)), entry) <= 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  ListBox1->insertItem(lo, makeItem(entry));
}

void TfrmNoDelete::collapseList(const std::string& keepCurrent) {
  std::vector<std::string> list = entries();
  collapseWholeTreeEntries(list);
  setEntries(list);
  for (int i = 0; i < ListBox1->count(); ++i) {
    if (entryOf(ListBox1->item(i)) == keepCurrent) {
      ListBox1->setCurrentRow(i);
      break;
    }
  }
}

void TfrmNoDelete::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
}

void TfrmNoDelete::FormShow() {
  WaitCursor wait;
  const std::string file = safeHarbor().listFile();
  FolderListFile list = readFolderListFile(file);
  const QString problem = folderListProblem(file, list);
  setEntries(list.entries);
  updatecount();
  lblWhen->setText(ReadString(QStringLiteral("Folders"), QStringLiteral("When"), kNotRecorded));
  ReadInFromDisk();
  lblToday->setText(longDate(now()));
  PageControl1->setCurrentIndex(0);
  if (!problem.isEmpty()) showError(problem);
  if (buildOnShow) Timer1->start();
}

void TfrmNoDelete::Timer1Timer() {
  Timer1->stop();
  btBuildClick();
}

void TfrmNoDelete::updatecount() { lblCount->setText(QString::number(ListBox1->count()) + QStringLiteral(" folders")); }

void TfrmNoDelete::updateLastDate() {
  const QDateTime when = now();
  QString text = kNotRecorded;
  if (ListBox1->count() > 0)
    text = longDate(when) + QLatin1Char(' ') + QLocale::system().toString(when.time(), QLocale::LongFormat);
  WriteString(QStringLiteral("Folders"), QStringLiteral("When"), text);
  lblWhen->setText(text);
  lblToday->setText(longDate(when));
}

void TfrmNoDelete::ReadInFromDisk() { loadProtectedTypes(PickList1); }

void TfrmNoDelete::btAddClick() {
  if (building_) return;
  const auto chosen = prompts().chooseFolder(QStringLiteral("Select a folder that won't be deleted"),
                                             QStringLiteral("Select a folder"), std::string());
  if (!chosen) return;
  QListWidgetItem* added = makeItem(withFolderSlash(*chosen));
  ListBox1->addItem(added);
  // The new entry is appended below thousands of built ones: show the user where it went.
  ListBox1->clearSelection();
  ListBox1->setCurrentItem(added);
  ListBox1->scrollToItem(added);
  listModified = true;
  updatecount();
}

void TfrmNoDelete::btDelClick() {
  if (building_) return;
  const auto selected = ListBox1->selectedItems();
  if (selected.isEmpty()) {
    showError(QStringLiteral("Select one or more folders from the list above"));
  } else if (confirm(QStringLiteral("Really delete the selected folders?"), Buttons::OkCancel, Answer::Ok) ==
             Answer::Ok) {
    qDeleteAll(selected);
    listModified = true;
  }
  updatecount();
}

void TfrmNoDelete::btEditClick() {
  // The list double click stays live during a build, and the list is not to be touched then.
  if (building_) return;
  QListWidgetItem* item = ListBox1->currentItem();
  if (!item) {
    showError(QStringLiteral("Select a folder first"));
    ListBox1->setFocus();
    return;
  }
  const std::string entry = entryOf(item);
  const bool wholeTree = isWholeTreeEntry(entry);
  auto editor = std::make_unique<TfrmEditFolder>(this);
  editor->setFolder(std::string(entryFolder(entry)));
  editor->cbAll->setChecked(wholeTree);
  if (editor->exec() != QDialog::Accepted) return;
  std::string folder = editor->folder();
  const bool all = editor->cbAll->isChecked();
  editor.reset();
  // An emptied folder field leaves the entry as it was.
  if (folder.empty()) return;
  listModified = true;
  // A folder typed without its final "/" would never match a folder query.
  const std::string updated = withFolderSlash(all ? folder + std::string(kWholeTree) : folder);
  const int row = ListBox1->row(item);
  delete ListBox1->takeItem(row);
  ListBox1->insertItem(row, makeItem(updated));
  ListBox1->setCurrentRow(row);
  ListBox1->setFocus();
  if (all) {
    collapseList(updated);
    updatecount();
  }
}

void TfrmNoDelete::findpaths(FolderScan& scan, const std::string& root) { scan.walk(root); }

void TfrmNoDelete::btBuildClick() {
  if (building_) return;
  if (!buildOnShow) {
    const QString question = QStringLiteral(
        "Roomvale will now scan the configuration files for references to folders.  Those folders ending with *.* will "
        "not be "
        "discarded during the scan.  It may take a few minutes.  Continue? ");
    if (confirm(question, Buttons::YesNo, Answer::Yes) != Answer::Yes) return;
  }

  // Kept so that a build stopped half-way (the window closed during it) can be undone:
  // a partial list must never replace a complete one.
  const std::vector<std::string> before = entries();
  const bool listsChangedBefore = listsChanged;

  // Whole-tree entries survive a rebuild; everything else is found afresh.
  for (int i = ListBox1->count() - 1; i >= 0; --i)
    if (!isWholeTreeEntry(entryOf(ListBox1->item(i)))) delete ListBox1->takeItem(i);

  listsChanged = true;
  const QString heading = EsLabel1->text();
  EsLabel1->setText(QStringLiteral("Building List ... standby"));
  for (QPushButton* b : {btBuild, btAdd, btDel, btEdit}) b->setEnabled(false);
  {
    WaitCursor wait;
    // The list is kept sorted while it grows.
    std::vector<std::string> kept = entries();
    sortNoCase(kept);
    setEntries(kept);
    lblCount->clear();
    repaint();

    building_ = true;
    stopRequested_ = false;
    FolderScan scan(kept);
    scan.skipFile(iniFileForKey(getRegistryKey()));
    scan.onFound = [this](const std::string& folder) { insertSorted(folder); };
    scan.keepGoing = [this] {
      pumpEvents();
      return !stopRequested_;
    };
    const ConfigTrees trees = configTrees();
    for (const auto& root : trees.machine) findpaths(scan, root);
    for (const auto& root : trees.user) findpaths(scan, root);
    building_ = false;
    buildStats_ = scan.stats();

    if (scan.stopped()) {
      setEntries(before);
      listsChanged = listsChangedBefore;
    } else {
      collapseList(std::string());
    }
    updatecount();
    for (QPushButton* b : {btBuild, btAdd, btDel, btEdit}) b->setEnabled(true);
  }
  EsLabel1->setText(heading);
  if (!stopRequested_) {
    updateLastDate();
    listModified = true;
  }
  stopRequested_ = false;

  if (pendingClose_) {
    const int result = *pendingClose_;
    pendingClose_.reset();
    done(result);
  }
}

void TfrmNoDelete::BitBtn1Click() {
  {
    auto editor = std::make_unique<TfrmKeepFiles>(this);
    editor->exec();
  }
  ReadInFromDisk();
  listsChanged = true;
}

void TfrmNoDelete::btCloseClick() { reject(); }

void TfrmNoDelete::done(int result) {
  if (building_) {
    // Closing during a build stops it at its next pump point; the window closes once the
    // build has unwound.
    stopRequested_ = true;
    pendingClose_ = result;
    return;
  }
  if (!closed_) {
    closed_ = true;
    Timer1->stop();
    FormClose();
  }
  QDialog::done(result);
}

void TfrmNoDelete::FormClose() {
  if (!listModified) return;
  std::vector<std::string> list = entries();
  sortNoCase(list);
  const std::string file = safeHarbor().listFile();
  if (!list.empty()) {
    if (file == safeHarborListFile()) platform::ensureUserDataFolder();
    if (!platform::writeFileAtomically(file, formatFolderList(list))) {
      showError(QStringLiteral("Could not save the Safe Harbor list \"%1\".").arg(platform::toDisplay(file)));
      return;
    }
  } else if (::unlink(file.c_str()) != 0 && errno != ENOENT) {
    showError(QStringLiteral("Could not delete the Safe Harbor list \"%1\".").arg(platform::toDisplay(file)));
    return;
  }
  // The saved list is what the finders must protect from now on, also when only hand edits
  // changed it.
  listsChanged = true;
}

bool openSafeHarborWindow(QWidget* owner) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  auto frm = std::make_unique<TfrmNoDelete>(owner);
  QApplication::restoreOverrideCursor();
  if (safeHarbor().safeHarborMissing()) frm->buildOnShow = true;
  frm->exec();
  const bool changed = frm->listsChanged;
  frm.reset();
  if (changed) {
    safeHarbor().GetSearchPath();
    safeHarbor().ReadSafeHarborExtensions();
  }
  return changed;
}

}  // namespace roomvale
