// Printing plain text lines on a printer set up by the print dialog.
#pragma once

#include <QFont>
#include <QStringList>
#include <functional>

class QPrinter;

namespace roomvale {

// Prints the lines given by `line` (0 to count - 1) in `font`, new pages as needed. A
// failure shows "Error printing report ... quitting" and returns false.
bool printTextLines(QPrinter& printer, const QFont& font, std::uint64_t count,
                    const std::function<QString(std::uint64_t)>& line);

}  // namespace roomvale
