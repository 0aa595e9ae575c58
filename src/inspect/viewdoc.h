// What the file viewer shows, without any widget: one file opened read-only and read in
// pages (never whole, never more than a few MiB held), its lines as text or as a
// hexadecimal dump, the line count made in slices, literal search and copying.
//
// A line is named by a key: in text mode the byte offset where it starts, in hexadecimal mode
// its number (16 bytes a line). Keys grow with the position in the file in both modes.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace roomvale {

class ViewDocument {
 public:
  ViewDocument();
  ~ViewDocument();
  ViewDocument(const ViewDocument&) = delete;
  ViewDocument& operator=(const ViewDocument&) = delete;

  // Opens a regular file read-only (a folder, device or pipe is refused). On failure the
  // document stays empty and `error` says why.
  bool open(const std::string& path, QString* error = nullptr);
  void close();
  bool isOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

  // The size as last seen. `refresh` looks again; when the file grew or shrank it drops what
  // it had read and counts again, and returns true.
  std::uint64_t size() const { return size_; }
  bool refresh();

  void setHexMode(bool on) { hex_ = on; }
  bool hexMode() const { return hex_; }
  void setTabExpansion(bool on) { tabs_ = on; }
  bool tabExpansion() const { return tabs_; }
  void setTabSize(int size) { tabSize_ = size < 1 ? 1 : (size > 64 ? 64 : size); }
  int tabSize() const { return tabSize_; }

  // Bytes at `offset` (fewer at the end of the file); read through the page cache.
  std::size_t read(std::uint64_t offset, char* out, std::size_t n);

  // Lines by key. `first` and `last` of an empty file are 0 and `hasLines` is false.
  bool hasLines() const { return size_ > 0; }
  std::uint64_t first() const { return 0; }
  std::uint64_t last();
  // The next / previous line, nothing at the end / start.
  std::optional<std::uint64_t> next(std::uint64_t key);
  std::optional<std::uint64_t> previous(std::uint64_t key);
  // The line holding byte `offset`, and the first byte of a line.
  std::uint64_t keyOfOffset(std::uint64_t offset);
  std::uint64_t offsetOfKey(std::uint64_t key) const { return hex_ ? key * 16 : key; }
  // The line as shown (tabs expanded when on, control characters as "."), at most
  // `maxChars` characters. Bytes are shown one character each.
  QString text(std::uint64_t key, int maxChars = 4096);

  // The line and column (as shown) of byte `offset`.
  struct Spot {
    std::uint64_t key = 0;
    int column = 0;
  };
  Spot spotOf(std::uint64_t offset);
  // The byte offset shown at a column of a line (the line's end when beyond it).
  std::uint64_t offsetOf(std::uint64_t key, int column);

  // Line count: open until counted. `countSlice` counts about `bytes` more and returns true
  // once the count is complete; `countAll` finishes it at once.
  std::optional<std::uint64_t> lineCount() const;
  bool countSlice(std::uint64_t bytes);
  void countAll();
  // Line number (from 0) of a key, when the count has got that far (always in hex mode).
  std::optional<std::uint64_t> lineNumber(std::uint64_t key);
  // The key of line `n` (from 0), counting as far as needed; the last line when `n` is
  // beyond it.
  std::uint64_t keyOfLine(std::uint64_t n);

  // Literal search. Forward: the first match starting at or after `from`; backward: the last
  // one starting before `from`. Without `matchCase` ASCII letters match either case.
  // Returns the byte offset of the match.
  std::optional<std::uint64_t> find(const std::string& needle, std::uint64_t from, bool backward, bool matchCase);

  // Number of '\n' bytes in [begin, end), read directly (for counting and tests).
  std::uint64_t countNewlines(std::uint64_t begin, std::uint64_t end);

 private:
  struct Page {
    std::uint64_t base = 0;
    std::vector<char> bytes;
    std::uint64_t used = 0;
  };
  const Page* page(std::uint64_t base);
  std::optional<std::uint64_t> findByte(std::uint64_t from, char byte);
  std::optional<std::uint64_t> findByteBackward(std::uint64_t before, char byte);
  void resetCount();

  std::string path_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::int64_t mtimeNs_ = 0;
  bool hex_ = false;
  bool tabs_ = true;
  int tabSize_ = 8;

  std::vector<Page> pages_;
  std::uint64_t clock_ = 0;

  // Counting: every 1024th line's start offset up to the frontier.
  std::vector<std::uint64_t> checkpoints_;
  std::uint64_t frontier_ = 0;
  std::uint64_t newlines_ = 0;  // before the frontier
  bool counted_ = false;
  bool lastLineOpen_ = false;  // the counted part ends without '\n'
  std::vector<char> countBuffer_;
};

}  // namespace roomvale
