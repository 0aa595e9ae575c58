#include "safeharbor/harborlist.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace roomvale {

namespace {

inline unsigned char foldUpper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c; }
inline unsigned char foldLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// Order of `entry` against the concatenation a + b, without building it.
int compareNoCase2(std::string_view entry, std::string_view a, std::string_view b) {
  const size_t total = a.size() + b.size();
  const size_t n = std::min(entry.size(), total);
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = foldUpper(static_cast<unsigned char>(entry[i]));
    const unsigned char y = foldUpper(static_cast<unsigned char>(i < a.size() ? a[i] : b[i - a.size()]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (entry.size() == total) return 0;
  return entry.size() < total ? -1 : 1;
}

// Index of an entry equal (without regard to case) to a + b in a sorted list, or -1.
int findExact(const std::vector<std::string>& list, std::string_view a, std::string_view b) {
  size_t lo = 0, hi = list.size();
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    const int c = compareNoCase2(list[mid], a, b);
    if (c == 0) return static_cast<int>(mid);
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return -1;
}

constexpr size_t kMaxFolderListBytes = 64u << 20;

}  // namespace

bool isWholeTreeEntry(std::string_view entry) { return entry.find(kWholeTree) != std::string_view::npos; }

std::string_view entryFolder(std::string_view entry) {
  const size_t pos = entry.find(kWholeTree);
  return pos == std::string_view::npos ? entry : entry.substr(0, pos);
}

std::string upperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(foldUpper(static_cast<unsigned char>(c)));
  return out;
}

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(foldLower(static_cast<unsigned char>(c)));
  return out;
}

int compareNoCase(std::string_view a, std::string_view b) { return compareNoCase2(a, b, {}); }

bool equalNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && compareNoCase(a, b) == 0; }

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && compareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

void sortNoCase(std::vector<std::string>& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const std::string& a, const std::string& b) { return compareNoCase(a, b) < 0; });
}

std::string shortPathName(std::string_view path) {
  const size_t tree = path.find(kWholeTree);
  if (tree != std::string_view::npos) return shortPathName(path.substr(0, tree)) + std::string(kWholeTree);
  if (path.empty() || path.find('\0') != std::string_view::npos) return std::string(path);

  const std::string input(path);
  char buf[PATH_MAX];
  if (!::realpath(input.c_str(), buf)) return input;
  std::string out(buf);
  if (input.back() == '/' && out.back() != '/') out.push_back('/');
  return out;
}

void normalizeList(std::vector<std::string>& list, const std::function<void()>& pump) {
  for (auto& entry : list) {
    entry = upperAscii(shortPathName(entry));
    if (pump) pump();
  }
  // Resolving links changes the order ("/BIN/" becomes "/USR/BIN/"), and the lookup needs
  // a sorted list.
  sortNoCase(list);
}

void collapseWholeTreeEntries(std::vector<std::string>& list, std::vector<std::string>& scratch) {
  scratch.clear();
  for (const auto& e : list)
    if (isWholeTreeEntry(e)) scratch.push_back(e);
  for (const auto& s : scratch) {
    const std::string_view w = entryFolder(s);
    std::erase_if(list, [&](const std::string& e) { return startsWithNoCase(e, w); });
  }
  list.insert(list.end(), scratch.begin(), scratch.end());
  sortNoCase(list);
}

void collapseWholeTreeEntries(std::vector<std::string>& list) {
  std::vector<std::string> scratch;
  collapseWholeTreeEntries(list, scratch);
}

int findFolderEntry(std::string_view folder, const std::vector<std::string>& list) {
  if (list.empty()) return -1;
  const int exact = findExact(list, folder, {});
  if (exact >= 0 && !isWholeTreeEntry(list[exact])) return exact;
  // Whole-tree entries of the folder itself and of each folder above it. Looking each one
  // up by name keeps nested whole-tree entries from hiding an outer one.
  for (size_t pos = folder.find('/'); pos != std::string_view::npos; pos = folder.find('/', pos + 1)) {
    const int i = findExact(list, folder.substr(0, pos + 1), kWholeTree);
    if (i >= 0) return i;
  }
  return -1;
}

std::string_view fileNameOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string protectedTypePattern(std::string_view path) {
  const std::string_view name = fileNameOf(path);
  const size_t dot = name.rfind('.');
  std::string pattern = "*";
  if (dot != std::string_view::npos) pattern += lowerAscii(name.substr(dot));
  return pattern;
}

bool matchesProtectedType(std::string_view path, const std::vector<std::string>& extensions) {
  if (extensions.empty()) return false;
  const std::string pattern = protectedTypePattern(path);
  const std::string_view name = fileNameOf(path);
  for (const auto& e : extensions)
    if (e == pattern || equalNoCase(e, name)) return true;
  return false;
}

std::vector<std::string> searchPathFolders(std::string_view value) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(':', start);
    if (end == std::string_view::npos) end = value.size();
    std::string element(value.substr(start, end - start));
    if (!element.empty()) {
      if (element.back() != '/') element.push_back('/');
      const bool known =
          std::any_of(out.begin(), out.end(), [&](const std::string& e) { return equalNoCase(e, element); });
      if (!known) out.push_back(std::move(element));
    }
    start = end + 1;
  }
  return out;
}

std::string withFolderSlash(std::string_view entry) {
  const size_t tree = entry.find(kWholeTree);
  std::string folder(tree == std::string_view::npos ? entry : entry.substr(0, tree));
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  if (tree != std::string_view::npos) folder += kWholeTree;
  return folder;
}

void parseFolderList(std::string_view text, FolderListFile& out) {
  if (text.find('\0') != std::string_view::npos) {
    out.readable = false;
    out.problem = "it is not a text file";
    return;
  }
  size_t start = 0;
  while (start < text.size()) {
    // Lines end in CR LF, LF or a lone CR.
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.empty()) continue;
    if (line.front() != '/') {
      ++out.badLines;
      continue;
    }
    out.entries.push_back(withFolderSlash(line));
  }
}

FolderListFile readFolderListFile(const std::string& path) {
  FolderListFile out;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return out;
    out.exists = true;
    out.readable = false;
    out.problem = std::strerror(errno);
    return out;
  }
  out.exists = true;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    out.readable = false;
    out.problem = "it is not a regular file";
    ::close(fd);
    return out;
  }
  if (static_cast<unsigned long long>(st.st_size) > kMaxFolderListBytes) {
    out.readable = false;
    out.problem = "it is far too large for a folder list";
    ::close(fd);
    return out;
  }
  std::string text;
  text.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  for (;;) {
    if (got == text.size()) text.resize(text.size() + 4096);
    const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      out.readable = false;
      out.problem = std::strerror(errno);
      ::close(fd);
      return out;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
    if (got > kMaxFolderListBytes) {
      out.readable = false;
      out.problem = "it is far too large for a folder list";
      ::close(fd);
      return out;
    }
  }
  ::close(fd);
  text.resize(got);
  parseFolderList(text, out);
  return out;
}

std::string formatFolderList(std::vector<std::string> entries) {
  sortNoCase(entries);
  std::string text;
  for (const auto& e : entries) {
    text += e;
    text += "\r\n";
  }
  return text;
}

}  // namespace roomvale
