#include "foundation/inifile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/paths.h"

namespace roomvale {

namespace {

// Anything beyond this is not a settings file any more; it is read as far as the limit and
// treated as damaged. A write that would make the file larger fails instead, so that what
// is written can always be read back. A line may be as long as the file.
constexpr std::size_t kMaxFileBytes = 16u << 20;

bool isNameSpecial(char16_t c) { return c == u'=' || c == u'[' || c == u']' || c == u';' || c == u'#'; }

void appendHex(QString& out, char16_t c) {
  static const char digits[] = "0123456789ABCDEF";
  out += QLatin1String("\\x");
  out += QLatin1Char(digits[(c >> 4) & 0xF]);
  out += QLatin1Char(digits[c & 0xF]);
}

void appendUnicodeEscape(QString& out, char16_t c) {
  static const char digits[] = "0123456789ABCDEF";
  out += QLatin1String("\\u");
  for (int shift = 12; shift >= 0; shift -= 4) out += QLatin1Char(digits[(c >> shift) & 0xF]);
}

int hexValue(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int len;
    unsigned cp;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > n) return false;
    for (int k = 1; k < len; ++k) {
      const unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return false;
    if (cp >= 0xD800 && cp <= 0xDFFF) return false;
    i += len;
  }
  return true;
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

QString decode(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

void makeParentFolders(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return;
  const std::string parent = path.substr(0, slash);
  struct stat st;
  if (::stat(parent.c_str(), &st) == 0) return;
  makeParentFolders(parent);
  ::mkdir(parent.c_str(), 0700);
}

bool readWhole(const std::string& path, std::string& out, bool& truncated) {
  out.clear();
  truncated = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    out.append(buf, static_cast<std::size_t>(n));
    if (out.size() > kMaxFileBytes) {
      out.resize(kMaxFileBytes);
      truncated = true;
      break;
    }
  }
  ::close(fd);
  return true;
}

// Holds an exclusive lock on "<file>.lock" for one read-modify-write.
class FileLock {
 public:
  explicit FileLock(const std::string& path) {
    fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) break;
    }
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_ = -1;
};

// Keeps the damaged file as "<file>.damaged" before it is replaced.
void keepDamagedCopy(const std::string& path, const std::string& content) {
  const std::string copy = path + ".damaged";
  ::unlink(copy.c_str());
  if (::link(path.c_str(), copy.c_str()) == 0) return;
  platform::writeFileAtomically(copy, content);
}

}  // namespace

QString iniEscape(const QString& text, bool name) {
  QString out;
  out.reserve(text.size() + 8);
  const qsizetype n = text.size();
  qsizetype lead = 0;
  while (lead < n && text[lead] == u' ') ++lead;
  qsizetype trailStart = n;
  while (trailStart > lead && text[trailStart - 1] == u' ') --trailStart;
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t c = text[i].unicode();
    switch (c) {
      case u'\\': out += QLatin1String("\\\\"); continue;
      case u'\n': out += QLatin1String("\\n"); continue;
      case u'\r': out += QLatin1String("\\r"); continue;
      case u'\t': out += QLatin1String("\\t"); continue;
      default: break;
    }
    if (c < 0x20 || c == 0x7F || (c == u' ' && (i < lead || i >= trailStart)) || (name && isNameSpecial(c))) {
      appendHex(out, c);
    } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
      out += QChar(c);
      out += text[++i];
    } else if (QChar::isSurrogate(c) || c == 0xFEFF) {
      // A lone surrogate (how a path's bytes that are not UTF-8 are held) has no UTF-8 form,
      // and U+FEFF is dropped by UTF-8 decoding at the start of a text.
      appendUnicodeEscape(out, c);
    } else {
      out += QChar(c);
    }
  }
  return out;
}

QString iniUnescape(QStringView text) {
  QString out;
  out.reserve(text.size());
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (c != u'\\' || i + 1 == n) {
      out += c;
      continue;
    }
    const QChar next = text[i + 1];
    switch (next.unicode()) {
      case u'\\':
        out += u'\\';
        ++i;
        continue;
      case u'n':
        out += u'\n';
        ++i;
        continue;
      case u'r':
        out += u'\r';
        ++i;
        continue;
      case u't':
        out += u'\t';
        ++i;
        continue;
      case u'x':
      case u'u': {
        // \xHH or \uHHHH
        const int digits = next == u'x' ? 2 : 4;
        int value = 0;
        bool ok = i + 1 + digits < n;
        for (int k = 0; ok && k < digits; ++k) {
          const int d = hexValue(text[i + 2 + k]);
          ok = d >= 0;
          value = value * 16 + d;
        }
        if (ok) {
          out += QChar(static_cast<char16_t>(value));
          i += 1 + digits;
          continue;
        }
        break;
      }
      default: break;
    }
    // Unknown escapes stay as written, so that a hand-written "C:\Temp" survives.
    out += c;
  }
  return out;
}

const QString* IniSection::find(const QString& key) const {
  const auto it = index_.constFind(key.toCaseFolded());
  return it == index_.constEnd() ? nullptr : &entries_[*it].value;
}

void IniSection::set(const QString& key, const QString& value) {
  const QString folded = key.toCaseFolded();
  const auto it = index_.constFind(folded);
  if (it != index_.constEnd()) {
    entries_[*it].value = value;
    return;
  }
  index_.insert(folded, entries_.size());
  entries_.push_back({key, value});
}

bool IniSection::remove(const QString& key) {
  const auto it = index_.constFind(key.toCaseFolded());
  if (it == index_.constEnd()) return false;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(*it));
  index_.clear();
  for (std::size_t i = 0; i < entries_.size(); ++i) index_.insert(entries_[i].key.toCaseFolded(), i);
  return true;
}

const IniSection* IniDocument::section(const QString& name) const {
  const auto it = sectionIndex_.constFind(name.toCaseFolded());
  return it == sectionIndex_.constEnd() ? nullptr : &sections_[*it];
}

IniSection& IniDocument::sectionForWrite(const QString& name) {
  const QString folded = name.toCaseFolded();
  const auto it = sectionIndex_.constFind(folded);
  if (it != sectionIndex_.constEnd()) return sections_[*it];
  sectionIndex_.insert(folded, sections_.size());
  sections_.emplace_back(name);
  return sections_.back();
}

const QString* IniDocument::find(const QString& section, const QString& key) const {
  const IniSection* s = this->section(section);
  return s ? s->find(key) : nullptr;
}

void IniDocument::set(const QString& section, const QString& key, const QString& value) {
  sectionForWrite(section).set(key, value);
}

IniDocument IniDocument::parse(const std::string& content) {
  IniDocument doc;
  std::string_view rest(content);
  if (rest.size() > kMaxFileBytes) {
    rest = rest.substr(0, kMaxFileBytes);
    doc.damaged_ = true;
  }
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);

  // Index of the section that the following entries belong to; -1 until a header or an
  // entry without one creates it.
  std::ptrdiff_t current = -1;
  QString currentName;
  while (!rest.empty()) {
    const auto eol = rest.find('\n');
    std::string_view line = rest.substr(0, eol);
    rest.remove_prefix(eol == std::string_view::npos ? rest.size() : eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    if (!isValidUtf8(line)) {
      doc.damaged_ = true;
      continue;
    }
    bool control = false;
    for (const char ch : line) {
      const auto u = static_cast<unsigned char>(ch);
      if (u < 0x20 && u != '\t') {
        control = true;
        break;
      }
    }
    if (control) {
      doc.damaged_ = true;
      continue;
    }

    const std::string_view t = trimBlanks(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') continue;
    if (t.front() == '[') {
      if (t.back() != ']' || t.size() < 2) {
        doc.damaged_ = true;
        continue;
      }
      currentName = iniUnescape(decode(trimBlanks(t.substr(1, t.size() - 2))));
      IniSection& s = doc.sectionForWrite(currentName);
      current = &s - doc.sections_.data();
      continue;
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) {
      doc.damaged_ = true;
      continue;
    }
    const QString key = iniUnescape(decode(trimBlanks(t.substr(0, eq))));
    const QString value = iniUnescape(decode(trimBlanks(t.substr(eq + 1))));
    if (current < 0) {
      IniSection& s = doc.sectionForWrite(currentName);
      current = &s - doc.sections_.data();
    }
    // Later lines win over earlier ones with the same key.
    doc.sections_[static_cast<std::size_t>(current)].set(key, value);
  }
  return doc;
}

std::string IniDocument::serialize() const {
  QString out;
  auto writeEntries = [&out](const IniSection& s) {
    for (const auto& e : s.entries()) {
      out += iniEscape(e.key, true);
      out += u'=';
      out += iniEscape(e.value, false);
      out += u'\n';
    }
  };
  // Entries without a section must come before the first header.
  bool first = true;
  for (const auto& s : sections_) {
    if (s.name().isEmpty() && !s.entries().empty()) {
      writeEntries(s);
      first = false;
    }
  }
  for (const auto& s : sections_) {
    if (s.name().isEmpty()) continue;
    if (!first) out += u'\n';
    first = false;
    out += u'[';
    out += iniEscape(s.name(), true);
    out += QLatin1String("]\n");
    writeEntries(s);
  }
  const QByteArray utf8 = out.toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

IniDocument readIniFile(const std::string& path) {
  if (path.empty()) return {};
  std::string content;
  bool truncated = false;
  if (!readWhole(path, content, truncated)) return {};
  IniDocument doc = IniDocument::parse(content);
  if (truncated) doc.markDamaged();
  return doc;
}

bool updateIniFile(const std::string& path, const std::function<bool(IniDocument&)>& change, bool* tooLarge) {
  if (tooLarge) *tooLarge = false;
  if (path.empty()) return false;
  makeParentFolders(path);
  FileLock lock(path);
  std::string content;
  bool truncated = false;
  readWhole(path, content, truncated);
  IniDocument doc = IniDocument::parse(content);
  const bool damaged = doc.damaged() || truncated;
  if (!change(doc)) return true;
  std::string updated = doc.serialize();
  if (updated.size() > kMaxFileBytes) {  // it could not be read back
    if (tooLarge) *tooLarge = true;
    return false;
  }
  // Rewriting identical bytes would only cost a flush to disk.
  if (!damaged && updated == content && !content.empty()) return true;
  if (damaged) keepDamagedCopy(path, content);
  return platform::writeFileAtomically(path, updated);
}

}  // namespace roomvale
