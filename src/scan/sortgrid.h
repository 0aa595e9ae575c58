// Sorting a result grid by one column. The order is the one the cell texts give:
//  - text: both texts with a-z raised to upper case, compared by character code;
//  - number: the value of the text's digits and decimal separator (separators and words
//    such as "bytes" ignored), 0 when there is none;
//  - date: the day shown, 1 January 1900 for an empty or unreadable date.
// The keys are taken from the stored values where they give the same order (sizes, packed
// times, shared folder paths), so a sort of a million rows never formats a cell. Equal keys
// keep their order. Any number of rows sorts.
#pragma once

#include <QString>
#include <QStringView>
#include <vector>

#include "scan/grid.h"
#include "scan/gridspec.h"

namespace roomvale {

// Sorts the filled rows first..last (positions, inclusive) by `column`.
void sortGridByText(GridData& grid, int first, int last, bool descending, int column);
void sortGridByNumber(GridData& grid, int first, int last, bool descending, int column);
void sortGridByDate(GridData& grid, int first, int last, bool descending, int column);
void sortGrid(GridData& grid, SortKind kind, int first, int last, bool descending, int column);

// The keys of single texts, as the sorts use them.
int compareTextKeys(QStringView a, QStringView b);
double numberKeyOfText(const QString& text);
qint64 dateKeyOfText(const QString& text);  // Julian day

// Direction flags of a kind of window: one per sort item, true meaning that the next sort
// by that item is descending. They start from the items' first directions and live for the
// whole run, so a window opened again continues where the last one of its kind left off.
std::vector<bool>& sortDirections(const GridSpec& shape);

}  // namespace roomvale
