// fuzz-links: roomvale_foundation
// Any text (any UTF-16 units, lone surrogates included) stored as a value, a key and a
// section name reads back exactly.
#include <cstddef>
#include <cstdint>
#include <string>

#include <QString>

#include "foundation/inifile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QString text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text += QChar(char16_t(data[i] | (data[i + 1] << 8)));
  roomvale::IniDocument doc;
  doc.set(QStringLiteral("Values"), QStringLiteral("v"), text);
  if (!text.isEmpty()) {
    doc.set(QStringLiteral("Keys"), text, QStringLiteral("k"));
    doc.set(text, QStringLiteral("s"), text);
  }
  const roomvale::IniDocument back = roomvale::IniDocument::parse(doc.serialize());
  if (back.damaged()) __builtin_trap();
  const QString* value = back.find(QStringLiteral("Values"), QStringLiteral("v"));
  if (!value || *value != text) __builtin_trap();
  if (!text.isEmpty()) {
    const QString* key = back.find(QStringLiteral("Keys"), text);
    const QString* inSection = back.find(text, QStringLiteral("s"));
    if (!key || *key != QStringLiteral("k") || !inSection || *inSection != text) __builtin_trap();
  }
  return 0;
}
