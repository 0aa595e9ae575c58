#include "platform/shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDesktopServices>
#include <QMimeDatabase>
#include <QMimeType>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>

#include "platform/paths.h"
#include "platform/trashbatch.h"

namespace roomvale::platform {

namespace {

QString errnoText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

}  // namespace

QString moveToTrash(const std::string& pathIn) {
  std::string path = pathIn;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty() || path == "/") return QStringLiteral("Cannot move this to the trash");
  if (path[0] != '/') {
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return errnoText(errno);
    path = joinPath(cwd, path);
  }
  // The original location: the real folder (links above it resolved) plus the name itself,
  // which is never followed, so a link is trashed as a link.
  const std::string name = nameOf(path);
  if (name == "." || name == "..") return QStringLiteral("Cannot move this to the trash");
  const std::string folder = canonicalPath(folderOf(path));
  const int dirfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirfd < 0) return errnoText(errno);
  struct stat st {};
  QString why;
  if (::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    why = errnoText(errno);
  } else {
    TrashBatch batch(1);
    why = batch.add(dirfd, name, joinPath(folder, name), st, 0);
    if (why.isEmpty()) {
      const auto outcomes = batch.flush();
      if (!outcomes.empty() && outcomes.front().error != 0) why = outcomes.front().reason;
    }
  }
  ::close(dirfd);
  return why;
}

QUrl fileUrlOf(const std::string& path) {
  std::string abs = path;
  if (abs.empty() || abs[0] != '/') {
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd)) abs = joinPath(cwd, abs);
  }
  const QByteArray encoded = QByteArray(abs.data(), qsizetype(abs.size())).toPercentEncoding(QByteArrayLiteral("/"));
  return QUrl::fromEncoded("file://" + encoded, QUrl::StrictMode);
}

bool openWithAssociatedProgram(const std::string& path) {
  const QUrl url = fileUrlOf(path);
  if (!url.isValid()) return false;
  return QDesktopServices::openUrl(url);
}

namespace {

// "*.ext" globs without further wildcards, lower-cased extension -> first type naming it.
struct GlobIndex {
  std::map<QString, QMimeType> byExtension;  // key: ".ext" lower case
  QStringList extensions;                    // ".ext", sorted, unique regardless of case
};

const GlobIndex& globIndex() {
  static const GlobIndex index = [] {
    GlobIndex idx;
    std::map<QString, QString> written;
    QMimeDatabase db;
    for (const QMimeType& type : db.allMimeTypes()) {
      for (const QString& glob : type.globPatterns()) {
        if (!glob.startsWith(QLatin1String("*.")) || glob.size() < 3) continue;
        const QString ext = glob.mid(1);
        if (ext.contains(QLatin1Char('*')) || ext.contains(QLatin1Char('?')) || ext.contains(QLatin1Char('[')))
          continue;
        const QString key = ext.toLower();
        // Where globs differ only in case ("*.C", "*.c"), the lower-case one wins.
        auto [it, added] = idx.byExtension.emplace(key, type);
        if (!added && ext == key && written[key] != key) it->second = type;
        if (added || ext == key) written[key] = ext;
      }
    }
    for (const auto& [key, ext] : written) idx.extensions << ext;
    std::sort(idx.extensions.begin(), idx.extensions.end(), [](const QString& a, const QString& b) {
      const int c = a.compare(b, Qt::CaseInsensitive);
      return c != 0 ? c < 0 : a < b;
    });
    return idx;
  }();
  return index;
}

}  // namespace

ExtensionType extensionType(const QString& extWithDot) {
  if (extWithDot.size() < 2 || !extWithDot.startsWith(QLatin1Char('.'))) return {};
  // Prefer the database's own choice among types sharing the glob, then any type naming it.
  QMimeDatabase db;
  const QMimeType best = db.mimeTypeForFile(QLatin1String("x") + extWithDot, QMimeDatabase::MatchExtension);
  const QString glob = QLatin1Char('*') + extWithDot;
  if (best.isValid())
    for (const QString& g : best.globPatterns())
      if (g.compare(glob, Qt::CaseInsensitive) == 0) return {best.name(), best.comment()};
  const auto& idx = globIndex();
  auto it = idx.byExtension.find(extWithDot.toLower());
  if (it == idx.byExtension.end()) return {};
  return {it->second.name(), it->second.comment()};
}

QStringList registeredExtensions() { return globIndex().extensions; }

}  // namespace roomvale::platform
