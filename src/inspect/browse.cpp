#include "inspect/browse.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "deletion/deldir.h"
#include "deletion/treerefusal.h"
#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "foundation/winplace.h"
#include "inspect/detailsform.h"
#include "inspect/filview.h"
#include "inspect/foldertree.h"
#include "platform/direnum.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/volumes.h"
#include "safeharbor/safeharbor.h"
#include "scan/deletionrequest.h"
#include "scan/resultgrid.h"
#include "scan/sortgrid.h"
#include "scan/wild.h"

namespace roomvale {

namespace {

constexpr int kNameColumn = 4;

std::vector<std::string> splitMask(const QString& mask) {
  std::vector<std::string> patterns;
  for (const QString& part : mask.split(QLatin1Char(';'))) {
    const QString p = part.trimmed();
    if (!p.isEmpty()) patterns.push_back(platform::fromDisplay(p));
  }
  if (patterns.empty()) patterns.push_back("*.*");
  return patterns;
}

bool isFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string parentOf(const std::string& folder) {
  const std::size_t slash = folder.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return folder.substr(0, slash);
}

std::string withoutSlash(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

QLabel* statusPanel(QWidget* parent, const char* name) {
  auto* l = new QLabel(parent);
  l->setObjectName(QLatin1String(name));
  l->setFrameShape(QFrame::Panel);
  l->setFrameShadow(QFrame::Sunken);
  return l;
}

}  // namespace

GridSpec browseGridSpec() {
  GridSpec shape;
  shape.kind = QStringLiteral("frmBrowse");
  shape.columns = {
      {QStringLiteral("Modified"), CellField::WriteDate, false}, {QStringLiteral("Time"), CellField::WriteTime, false},
      {QStringLiteral("Access"), CellField::AccessDate, false},  {QStringLiteral("Size"), CellField::Size, true},
      {QStringLiteral("Filename"), CellField::Name, false},      {QStringLiteral("Type"), CellField::Type, false}};
  shape.markColumn = kNameColumn;
  // Each item holds the direction of its next choice: a listing sorts the other way, and a
  // choice turns the direction round before sorting. Listings start by name ascending,
  // modified date, access date and size descending, type ascending.
  shape.sortItems = {{QStringLiteral("Name"), 4, SortKind::Text, true},
                     {QStringLiteral("Modified &Date"), 0, SortKind::Date, false},
                     {QStringLiteral("&Access Date"), 2, SortKind::Date, false},
                     {QStringLiteral("&Size"), 3, SortKind::Number, false},
                     {QStringLiteral("&Type"), 5, SortKind::Text, true}};
  shape.defaultSortItem = 0;
  return shape;
}

std::vector<ListedFile> listFolderFiles(const std::string& folder, const QString& mask) {
  std::vector<ListedFile> files;
  const std::vector<std::string> patterns = splitMask(mask);
  platform::DirReader reader;
  // Request 0: no folders, no hidden or system entries (links among them).
  if (!reader.open(folder, "*", 0)) return files;
  platform::DirEntry e;
  while (reader.next(e)) {
    if (e.isDirectory()) continue;
    if (std::none_of(patterns.begin(), patterns.end(),
                     [&e](const std::string& p) { return platform::matchesPattern(e.name, p); }))
      continue;
    files.push_back({e.name, e.size, platform::toFatDateTime(e.writeTime).value_or(0),
                     platform::toFatDateTime(e.accessTime).value_or(0)});
  }
  std::sort(files.begin(), files.end(), [](const ListedFile& a, const ListedFile& b) { return a.name < b.name; });
  return files;
}

void openFolderBrowser(QWidget* owner, const std::string& folder, const std::string& selectedFile,
                       const QString& mask) {
  TfrmBrowse window(owner);
  window.mask = mask.isEmpty() ? QStringLiteral("*.*") : mask;
  window.presetFolder(folder, selectedFile);
  window.exec();
}

void installInspectWindows() {
  setFileViewerOpener(&openFileViewer);
  setFileDetailsOpener(&openFileDetails);
  setFolderBrowserOpener(&openFolderBrowser);
}

TfrmBrowse::TfrmBrowse(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmBrowse"));
  setWindowTitle(QStringLiteral("Browse through folders"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  setSizeGripEnabled(true);

  DriveCombobox1 = new QComboBox(this);
  DriveCombobox1->setObjectName(QStringLiteral("DriveCombobox1"));
  tree = new FolderTreeModel(this);
  DirectoryListBox1 = new QTreeView(this);
  DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
  DirectoryListBox1->setModel(tree);
  DirectoryListBox1->setHeaderHidden(true);
  DirectoryListBox1->setUniformRowHeights(true);
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setAutoFillBackground(true);
  Label1->setMinimumWidth(50);
  grid = new ResultGrid(browseGridSpec(), this);
  grid->view()->setToolTip(QStringLiteral("Double click to mark, right click for options"));

  auto button = [this](const char* name, const QString& caption, const QString& hint) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
  };
  btDeleteDirectory = button("btDeleteDirectory", QStringLiteral("Delete &Folder"),
                             QStringLiteral("Delete folder and all files/folders below"));
  btView = button("btView", QStringLiteral("&View"), QStringLiteral("View file"));
  btMark = button("btMark", QStringLiteral("&Mark"), QStringLiteral("Mark/unmark files for deletion"));
  btDeleteFiles =
      button("btDeleteFiles", QStringLiteral("&Clean marked files"), QStringLiteral("Clean up marked files"));
  btDeleteFiles->setEnabled(false);
  btClose = button("btClose", QStringLiteral("Close"), QString());
  btLaunch = button("btLaunch", QStringLiteral("&Open"), QStringLiteral("Run/launch associated application"));
  btDetails = button("btDetails", QStringLiteral("&Details"), QStringLiteral("View more file details"));
  btMenu = button("btMenu", QStringLiteral("Options"), QString());
  pnlScan = statusPanel(this, "pnlScan");
  pnlSize = statusPanel(this, "pnlSize");
  pnlWild = statusPanel(this, "pnlWild");
  pnlWild->setCursor(Qt::PointingHandCursor);
  pnlWild->setToolTip(QStringLiteral("Click to change the wildcard pattern"));
  pnlWild->installEventFilter(this);

  PopupMenu1 = new QMenu(this);
  Details1 = PopupMenu1->addAction(QStringLiteral("Details"));
  QMenu* sort = PopupMenu1->addMenu(QStringLiteral("Sort"));
  Sortbyname1 = sort->addAction(QStringLiteral("Name"));
  SortbyModified1 = sort->addAction(QStringLiteral("Modified &Date"));
  SortbyAccess1 = sort->addAction(QStringLiteral("&Access Date"));
  SortbySize1 = sort->addAction(QStringLiteral("&Size"));
  SortbyType1 = sort->addAction(QStringLiteral("&Type"));
  for (QAction* a : {Sortbyname1, SortbyModified1, SortbyAccess1, SortbySize1, SortbyType1}) a->setCheckable(true);
  QMenu* mark = PopupMenu1->addMenu(QStringLiteral("Mark"));
  Markall1 = mark->addAction(QStringLiteral("Mark all"));
  Unmarkall1 = mark->addAction(QStringLiteral("Unmark all"));
  PopupMenu1->addSeparator();
  Open1 = PopupMenu1->addAction(QStringLiteral("Open"));
  View1 = PopupMenu1->addAction(QStringLiteral("View"));
  grid->setSortActions({Sortbyname1, SortbyModified1, SortbyAccess1, SortbySize1, SortbyType1});
  Sortbyname1->setChecked(true);
  grid->setCleanButton(btDeleteFiles);
  grid->setStatusSink(
      [this](const QString& text) { pnlScan->setText(QStringLiteral("Marked for deletion: ") + text); });

  // Layout: drive box and tree on the left, the folder's files on the right, buttons below.
  auto* left = new QWidget(this);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(DriveCombobox1);
  leftLayout->addWidget(DirectoryListBox1, 1);
  auto* right = new QWidget(this);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addWidget(Label1);
  rightLayout->addWidget(grid->view(), 1);
  auto* panels = new QHBoxLayout;
  panels->addWidget(pnlScan, 2);
  panels->addWidget(pnlSize, 1);
  panels->addWidget(pnlWild, 1);
  rightLayout->addLayout(panels);
  auto* split = new QSplitter(this);
  split->addWidget(left);
  split->addWidget(right);
  split->setStretchFactor(1, 1);
  split->setSizes({220, 520});
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {btDeleteDirectory, btView, btMark, btDeleteFiles, btLaunch, btDetails, btMenu, btClose})
    buttons->addWidget(b);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split, 1);
  layout->addLayout(buttons);

  connect(DriveCombobox1, &QComboBox::activated, this, &TfrmBrowse::driveChosen);
  connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (syncing_ || !current.isValid()) return;
            folder_ = tree->pathOf(current);
            DirectoryListBox1Change();
          });
  connect(btMark, &QPushButton::clicked, grid, &ResultGrid::DeleteAllFiles);
  connect(Markall1, &QAction::triggered, grid, &ResultGrid::Markall1Click);
  connect(Unmarkall1, &QAction::triggered, grid, &ResultGrid::Unmarkall1Click);
  connect(btDeleteFiles, &QPushButton::clicked, this, &TfrmBrowse::btDeleteFilesClick);
  connect(btDeleteDirectory, &QPushButton::clicked, this, &TfrmBrowse::btDeleteDirectoryClick);
  connect(btView, &QPushButton::clicked, this, &TfrmBrowse::btViewClick);
  connect(View1, &QAction::triggered, this, &TfrmBrowse::btViewClick);
  connect(btLaunch, &QPushButton::clicked, this, &TfrmBrowse::btLaunchClick);
  connect(Open1, &QAction::triggered, this, &TfrmBrowse::btLaunchClick);
  connect(btDetails, &QPushButton::clicked, this, &TfrmBrowse::Details1Click);
  connect(Details1, &QAction::triggered, this, &TfrmBrowse::Details1Click);
  connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(btMenu, &QPushButton::clicked, this,
          [this] { PopupMenu1->popup(btMenu->mapToGlobal(QPoint(0, btMenu->height()))); });
  grid->view()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid->view(), &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { PopupMenu1->popup(grid->view()->viewport()->mapToGlobal(p)); });

  // FormCreate: placement memory, drives, and the current folder of the process to begin.
  place_ = new TWinPlace(this);
  place_->IniFileName = QStringLiteral("roomval.ini");
  place_->Identifier = QStringLiteral("frmBrowse");
  if (!place_->HasStoredPlacement()) place_->CentreOnFirstShow();
  fillDrives();
  char cwd[4096];
  folder_ = ::getcwd(cwd, sizeof cwd) ? std::string(cwd) : std::string("/");
  resize(780, 520);
}

TfrmBrowse::~TfrmBrowse() { place_->SavePlacement(); }

void TfrmBrowse::presetFolder(const std::string& folder, const std::string& selectedFile) {
  folder_ = withoutSlash(folder);
  selectFile_ = selectedFile;
}

void TfrmBrowse::fillDrives() {
  DriveCombobox1->clear();
  for (const platform::Volume& v : platform::listVolumes())
    DriveCombobox1->addItem(platform::toDisplay(platform::volumeEntryText(v)), platform::toDisplay(v.mountPoint));
}

void TfrmBrowse::driveChosen(int index) {
  if (index < 0) return;
  const std::string root = platform::fromDisplay(DriveCombobox1->itemData(index).toString());
  if (!isPathDriveReady(root)) return;
  chooseFolder(root);
}

void TfrmBrowse::chooseFolder(const std::string& wanted) {
  std::string folder = withoutSlash(wanted.empty() ? std::string("/") : wanted);
  // The volume holding the folder becomes the tree's root.
  const auto volume = platform::volumeOf(folder);
  const std::string root = volume ? volume->mountPoint : std::string("/");
  syncing_ = true;
  if (tree->root() != root) {
    tree->setRoot(root);
    for (int i = 0; i < DriveCombobox1->count(); ++i)
      if (platform::fromDisplay(DriveCombobox1->itemData(i).toString()) == root) DriveCombobox1->setCurrentIndex(i);
  }
  QModelIndex at = tree->indexOf(folder);
  // A folder that cannot be shown (gone, or reached through a link): its nearest ancestor.
  while (!at.isValid() && folder != root && folder != "/") {
    folder = parentOf(folder);
    at = tree->indexOf(folder);
  }
  if (!at.isValid()) at = tree->index(0, 0);
  DirectoryListBox1->setCurrentIndex(at);
  DirectoryListBox1->expand(at);
  DirectoryListBox1->scrollTo(at);
  syncing_ = false;
  folder_ = tree->pathOf(at);
  DirectoryListBox1Change();
}

void TfrmBrowse::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_ || event->spontaneous()) return;
  shown_ = true;
  FormShow();
}

void TfrmBrowse::FormShow() {
  pnlWild->setText(QStringLiteral("Wildcard : ") + mask);
  const std::string wantedFile = selectFile_;
  chooseFolder(folder_);
  if (!wantedFile.empty()) selectFile(wantedFile);
  selectFile_.clear();
  // The button row stays whole; the tree keeps half its height.
  const int rowWidth = btClose->geometry().right() + 20;
  const int screenWidth = screen() ? screen()->availableGeometry().width() : 1024;
  setMinimumSize(std::min(std::max(rowWidth, btMenu->sizeHint().width() * 8), screenWidth - 10),
                 std::max(200, height() / 2));
  place_->RestorePlacement();
}

void TfrmBrowse::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  // The type column takes the rest of the grid.
  const int rest = grid->view()->viewport()->width() - (69 + 66 + 66 + 65 + 101);
  grid->setColumnWidths({69, 66, 66, 65, 101, std::max(90, rest)});
  showLabel();
}

void TfrmBrowse::showLabel() {
  const QString path = platform::toDisplay(folder_);
  Label1->setText(Label1->fontMetrics().elidedText(path, Qt::ElideMiddle, std::max(Label1->width() - 4, 20)));
}

void TfrmBrowse::DirectoryListBox1Change() {
  if (!isPathDriveReady(folder_)) return;
  btDeleteFiles->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  folderBytes_ = 0;
  FillGrid();
  // The checked key again, in the direction it last sorted.
  const int item = grid->checkedSortItem();
  const GridSortItem& sortItem = grid->shape().sortItems[static_cast<std::size_t>(item)];
  if (grid->data().rowsUsed() > 1)
    grid->model()->sortBy(sortItem.kind, sortItem.column, !grid->directions()[static_cast<std::size_t>(item)]);
  // The first file is the selected one, so that Mark, View and Details act at once.
  if (grid->data().rowsUsed() > 0) grid->view()->setCurrentIndex(grid->model()->index(0, kNameColumn));
  QApplication::restoreOverrideCursor();
  pnlScan->setText(QStringLiteral("Number of files : ") + QString::number(grid->data().rowsUsed()));
  pnlSize->setText(QStringLiteral("Total size : ") + formatThousands(static_cast<std::int64_t>(folderBytes_)));

  QPalette pal = Label1->palette();
  const bool protectedFolder = safeHarbor().isInSafeHarbor(folder_, false);
  pal.setColor(QPalette::Window, palette().color(protectedFolder ? QPalette::Highlight : QPalette::Button));
  pal.setColor(QPalette::WindowText,
               palette().color(protectedFolder ? QPalette::HighlightedText : QPalette::WindowText));
  Label1->setPalette(pal);
  Label1->setToolTip(protectedFolder ? QStringLiteral("Folder is ON the Non-Deletion List") : QString());
  showLabel();
}

void TfrmBrowse::FillGrid() {
  // Marks go with the old listing; the checked sort key stays.
  grid->model()->clearGrid();
  for (const ListedFile& f : listFolderFiles(folder_, mask)) {
    GridFile row;
    row.folder = folder_;
    row.name = f.name;
    row.size = f.size;
    row.writeTime = f.writeTime;
    row.accessTime = f.accessTime;
    grid->addFile(row);
    folderBytes_ += f.size;
  }
  grid->finishFill();
}

void TfrmBrowse::selectFile(const std::string& name) {
  const GridData& data = grid->data();
  for (int r = 0; r < data.rowsUsed(); ++r) {
    if (data.nameOf(data.rowById(data.rowIdAt(r))) != name) continue;
    const QModelIndex at = grid->model()->index(r, kNameColumn);
    grid->view()->setCurrentIndex(at);
    grid->view()->scrollTo(at);
    return;
  }
}

std::string TfrmBrowse::selectedFilePath() const {
  const int row = grid->currentRow();
  if (!grid->data().isRowUsed(row)) return {};
  return grid->currentPath();
}

void TfrmBrowse::btDeleteFilesClick() {
  if (grid->data().markedCount() == 0) return;
  DeletionRequest request;
  request.paths = grid->data().lbDeleted();
  request.totalBytes = static_cast<std::uint64_t>(grid->data().markedBytes());
  request.identities = grid->data().lbDeletedIdentities();
  openDeletionReview(this, request);
  DirectoryListBox1Change();
}

void TfrmBrowse::btDeleteDirectoryClick() {
  const std::string folder = folder_;
  switch (cleanRefusal(folder)) {
    case CleanRefusal::RootFolder:
      showError(
          QStringLiteral("Cannot delete the root folder! To delete a folder including all files and sub-folders "
                         "double click on the desired folder shown in the left panel."));
      return;
    case CleanRefusal::SystemFolder:
      showError(QStringLiteral("You cannot delete the system folders using Roomvale 99"));
      return;
    case CleanRefusal::None: break;
  }
  const std::string parent = parentOf(folder);
  chooseFolder(parent);
  const FolderTreeDeletionResult done = openFolderTreeDeletion(this, folder);
  tree->refresh(DirectoryListBox1->currentIndex());
  if (done.result == QDialog::Rejected) {
    chooseFolder(folder);
  } else {
    chooseFolder(parent);
  }
}

void TfrmBrowse::btViewClick() {
  const std::string path = selectedFilePath();
  if (isFile(path)) openFileViewer(this, path);
}

void TfrmBrowse::btLaunchClick() {
  const std::string path = selectedFilePath();
  if (!isFile(path)) return;
  if (!platform::openWithAssociatedProgram(path))
    showError(QStringLiteral("Couldn't open ") + platform::toDisplay(path.substr(path.find_last_of('/') + 1)));
}

void TfrmBrowse::Details1Click() {
  const std::string path = selectedFilePath();
  if (isFile(path)) openFileDetails(this, path);
}

void TfrmBrowse::pnlWildClick() {
  TfrmWildCard dialog(this);
  dialog.setPattern(mask);
  if (dialog.exec() == QDialog::Accepted) {
    mask = dialog.pattern();
    DirectoryListBox1Change();
  }
  pnlWild->setText(QStringLiteral("Wildcard : ") + mask);
}

bool TfrmBrowse::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pnlWild && event->type() == QEvent::MouseButtonRelease) {
    pnlWildClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmBrowse::done(int result) {
  const int marked = grid->data().markedCount();
  if (marked > 0 &&
      confirm(QStringLiteral("You have ") + QString::number(marked) +
                  QStringLiteral(" files marked for deletion. Do you really wish to exit without deleting?"),
              Buttons::YesNo, Answer::No) != Answer::Yes)
    return;
  QDialog::done(result);
}

}  // namespace roomvale
