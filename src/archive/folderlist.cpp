#include "archive/folderlist.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>
#include <algorithm>

#include "platform/direnum.h"
#include "platform/paths.h"
#include "platform/volumes.h"

namespace roomvale {

namespace {

constexpr int kPathRole = Qt::UserRole;

bool canRead(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::string parentOf(const std::string& folder) {
  const auto slash = folder.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : folder.substr(0, slash);
}

}  // namespace

std::string plainFolderPath(const std::string& path) {
  std::string out;
  std::size_t i = 0;
  while (i <= path.size()) {
    std::size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    const std::string part = path.substr(i, j - i);
    if (!part.empty() && part != ".") out += "/" + part;
    i = j + 1;
  }
  return out.empty() ? "/" : out;
}

DirectoryListBox::DirectoryListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setIconSize(QSize(16, 16));
  connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { enter(item); });
  connect(this, &QListWidget::currentItemChanged, this, &DirectoryListBox::selectedFolderChanged);
}

std::string DirectoryListBox::selectedFolder() const {
  const std::string f = folderOf(currentItem());
  return f.empty() ? folder_ : f;
}

std::string DirectoryListBox::folderOf(const QListWidgetItem* item) {
  return item ? item->data(kPathRole).toByteArray().toStdString() : std::string();
}

void DirectoryListBox::setFolder(const std::string& path) {
  std::string folder = plainFolderPath(path.empty() ? "/" : path);
  while (folder != "/" && !canRead(folder)) folder = parentOf(folder);
  const bool changed = folder != folder_;
  folder_ = folder;
  fill();
  if (changed) emit folderChanged();
}

void DirectoryListBox::refresh() { fill(); }

void DirectoryListBox::enter(QListWidgetItem* item) {
  if (item) setFolder(folderOf(item));
  emit folderActivated();
}

void DirectoryListBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    enter(currentItem());
    return;
  }
  QListWidget::keyPressEvent(event);
}

void DirectoryListBox::fill() {
  clear();
  QStyle* style = QApplication::style();
  const QIcon open = style->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style->standardIcon(QStyle::SP_DirIcon);
  auto add = [&](const std::string& path, const std::string& label, int depth, const QIcon& icon) {
    auto* item = new QListWidgetItem(icon, QString(qsizetype{depth} * 2, QLatin1Char(' ')) + platform::toDisplay(label), this);
    item->setData(kPathRole, QByteArray::fromStdString(path));
    return item;
  };

  // The way down from "/" to the folder.
  add("/", "/", 0, open);
  std::string sofar;
  int depth = 0;
  QListWidgetItem* current = item(0);
  std::size_t i = 1;
  while (i < folder_.size()) {
    std::size_t j = folder_.find('/', i);
    if (j == std::string::npos) j = folder_.size();
    sofar += "/" + folder_.substr(i, j - i);
    current = add(sofar, folder_.substr(i, j - i), ++depth, open);
    i = j + 1;
  }

  // Its sub-folders (links to folders too; hidden ones are left out).
  std::vector<std::string> subs;
  platform::DirReader reader;
  if (reader.open(folder_, "*", platform::kAttrDirectory | platform::kAttrSystem)) {
    platform::DirEntry e;
    while (reader.next(e)) {
      if (e.isDirectory()) {
        subs.push_back(e.name);
      } else {
        struct stat st {};
        if (::fstatat(reader.fd(), e.name.c_str(), &st, 0) == 0 && S_ISDIR(st.st_mode)) subs.push_back(e.name);
      }
    }
  }
  std::sort(subs.begin(), subs.end(), [](const std::string& a, const std::string& b) {
    return QString::compare(platform::toDisplay(a), platform::toDisplay(b), Qt::CaseInsensitive) < 0;
  });
  for (const std::string& s : subs) add(platform::joinPath(folder_, s), s, depth + 1, closed);
  setCurrentItem(current);
}

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent) {
  fillVolumes();
  connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    if (list_ && index >= 0) list_->setFolder(itemData(index).toByteArray().toStdString());
  });
}

void DriveComboBox::fillVolumes() {
  clear();
  for (const platform::Volume& v : platform::listVolumes())
    addItem(platform::toDisplay(platform::volumeEntryText(v)), QByteArray::fromStdString(v.mountPoint));
}

void DriveComboBox::setDirList(DirectoryListBox* list) {
  list_ = list;
  connect(list, &DirectoryListBox::folderChanged, this, &DriveComboBox::follow);
  follow();
}

void DriveComboBox::follow() {
  if (!list_) return;
  std::vector<platform::Volume> volumes;
  for (int i = 0; i < count(); ++i) {
    platform::Volume v;
    v.mountPoint = itemData(i).toByteArray().toStdString();
    volumes.push_back(v);
  }
  const auto v = platform::volumeOf(list_->folder(), volumes);
  if (!v) return;
  for (int i = 0; i < count(); ++i)
    if (itemData(i).toByteArray().toStdString() == v->mountPoint) setCurrentIndex(i);
}

}  // namespace roomvale
