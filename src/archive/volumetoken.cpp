#include "archive/volumetoken.h"

#include "archive/utf8.h"

namespace roomvale {

namespace {

bool keptAsIs(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_';
}

}  // namespace

std::string volumeToken(const std::string& mountPoint) {
  std::size_t start = 0;
  while (start < mountPoint.size() && mountPoint[start] == '/') ++start;
  std::size_t end = mountPoint.size();
  while (end > start && mountPoint[end - 1] == '/') --end;
  if (start == end) return "root";
  std::string token;
  token.reserve(end - start);
  for (std::size_t i = start; i < end;) {
    const auto c = static_cast<unsigned char>(mountPoint[i]);
    if (keptAsIs(c)) {
      token += static_cast<char>(c);
      ++i;
    } else {
      token += '_';
      const std::size_t n = utf8::sequenceLength(mountPoint, i);
      i += n == 0 ? 1 : n;
    }
  }
  return token;
}

std::vector<std::string> mountPointsForToken(const std::string& token, const std::vector<platform::Volume>& volumes) {
  std::vector<std::string> found;
  for (const auto& v : volumes)
    if (volumeToken(v.mountPoint) == token) found.push_back(v.mountPoint);
  return found;
}

std::optional<std::string> mountPointForToken(const std::string& token, const std::vector<platform::Volume>& volumes) {
  const auto found = mountPointsForToken(token, volumes);
  if (found.size() != 1) return std::nullopt;
  return found.front();
}

std::optional<std::string> mountPointForToken(const std::string& token) {
  return mountPointForToken(token, platform::listVolumes());
}

std::optional<std::string> tokenFromArchiveName(const std::string& archivePath) {
  static const std::string prefix = "Drive-";
  const auto slash = archivePath.find_last_of('/');
  const std::string name = slash == std::string::npos ? archivePath : archivePath.substr(slash + 1);
  if (name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  const auto dash = name.find('-', prefix.size());
  if (dash == std::string::npos || dash == prefix.size()) return std::nullopt;
  return name.substr(prefix.size(), dash - prefix.size());
}

ArchiveOrigin archiveOrigin(const std::string& archivePath, const std::vector<platform::Volume>& volumes) {
  ArchiveOrigin origin;
  const auto token = tokenFromArchiveName(archivePath);
  if (!token) return origin;
  origin.token = *token;
  const auto root = mountPointForToken(*token, volumes);
  origin.kind = root ? ArchiveOrigin::Kind::Mounted : ArchiveOrigin::Kind::NotMounted;
  if (root) origin.mountPoint = *root;
  return origin;
}

ArchiveOrigin archiveOrigin(const std::string& archivePath) {
  return archiveOrigin(archivePath, platform::listVolumes());
}

bool isOriginalRoot(const std::string& folder, const ArchiveOrigin& origin) {
  if (origin.kind != ArchiveOrigin::Kind::Mounted) return false;
  auto plain = [](std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
  };
  return plain(folder) == plain(origin.mountPoint);
}

}  // namespace roomvale
