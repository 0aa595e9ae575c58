#include "archive/zipnames.h"

#include <QLocale>

#include "archive/volumetoken.h"
#include "foundation/settings.h"
#include "platform/paths.h"

namespace roomvale {

std::string defaultZipPath;

std::string builtInZipFolder() { return platform::homeFolder() + "/"; }

void getDefaultZipPath() {
  defaultZipPath = platform::fromDisplay(
      ReadString(QStringLiteral("ZipFile"), QStringLiteral("Path"), platform::toDisplay(builtInZipFolder())));
  if (!defaultZipPath.empty() && defaultZipPath.back() != '/') defaultZipPath += '/';
}

QString zipTimeStamp(const QDateTime& when) {
  const QDate d = when.date();
  const QTime t = when.time();
  // A "/" in a month name would turn the stamp into a folder.
  QString month = QLocale().monthName(d.month(), QLocale::ShortFormat);
  month.replace(QLatin1Char('/'), QLatin1Char('_'));
  return QString::asprintf("%02d", d.day()) + month +
         QString::asprintf("%02d%02d%02d", d.year() % 100, t.hour(), t.minute());
}

std::string makeZipFileName(const QString& sourceTag, const std::string& volumeToken, const QDateTime& stamp) {
  const std::string folder = defaultZipPath.empty() ? builtInZipFolder() : defaultZipPath;
  const std::string name =
      "Drive-" + volumeToken + "-" + platform::fromDisplay(sourceTag + zipTimeStamp(stamp)) + ".zip";
  return platform::joinPath(folder, name);
}

VolumeRoots::VolumeRoots() : volumes_(platform::listVolumes()) {}
VolumeRoots::VolumeRoots(std::vector<platform::Volume> volumes) : volumes_(std::move(volumes)) {}

namespace {

// Components of a path, without empty and "." ones.
std::vector<std::string> components(const std::string& path) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i <= path.size()) {
    std::size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string part = path.substr(i, j - i);
    if (!part.empty() && part != ".") out.push_back(std::move(part));
    i = j + 1;
  }
  return out;
}

bool startsWith(const std::vector<std::string>& path, const std::vector<std::string>& prefix) {
  if (prefix.size() > path.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (path[i] != prefix[i]) return false;
  return true;
}

}  // namespace

std::string VolumeRoots::rootOf(const std::string& path) const {
  const auto parts = components(path);
  std::string best = "/";
  std::size_t bestDepth = 0;
  for (const auto& v : volumes_) {
    const auto root = components(v.mountPoint);
    if (root.size() > bestDepth && startsWith(parts, root)) {
      best = v.mountPoint;
      bestDepth = root.size();
    }
  }
  return best;
}

std::optional<std::string> entryNameFor(const std::string& path, const std::string& root) {
  if (path.empty() || path.front() != '/') return std::nullopt;
  const auto parts = components(path);
  const auto rootParts = components(root);
  if (!startsWith(parts, rootParts) || parts.size() == rootParts.size()) return std::nullopt;
  std::string name;
  for (std::size_t i = rootParts.size(); i < parts.size(); ++i) {
    if (parts[i] == "..") return std::nullopt;
    if (!name.empty()) name += '/';
    name += parts[i];
  }
  return name;
}

bool isSafeEntryName(const std::string& name) {
  if (name.empty() || name.front() == '/' || name.back() == '/') return false;
  std::size_t i = 0;
  while (i <= name.size()) {
    std::size_t j = name.find('/', i);
    if (j == std::string::npos) j = name.size();
    const std::string_view part(name.data() + i, j - i);
    if (part.empty() || part == "." || part == "..") return false;
    i = j + 1;
  }
  return name.find('\0') == std::string::npos;
}

std::string archivePathFor(const QString& sourceTag, const std::string& path, const QDateTime& stamp,
                           const VolumeRoots& roots) {
  return makeZipFileName(sourceTag, volumeToken(roots.rootOf(path)), stamp);
}

QString couldNotZipText(const std::string& path) {
  return QStringLiteral("Couldn't zip up file - ") + platform::toDisplay(path);
}

}  // namespace roomvale
