// A text table that fits the terminal: columns that may shrink give up
// width, widest first, and a cell that no longer fits is cut with "..."
// rather than wrapped, so every row stays one line.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace mfgtool {

struct TableColumn {
    std::string header;
    bool alignRight = false;      // numbers
    bool shrinks = false;         // may be narrowed below its widest cell
    bool keepEnd = false;         // cut from the left: the end of a path says most
    std::size_t comfortable = 0;  // shrinking columns give up width below this last
    std::size_t least = 0;        // a shrinking column never goes below this (0: the table's floor)
    // Cuts the cell of body row `row` to `width` columns, for a column whose
    // cells say more in some parts than in others; unset: fitCell.
    std::function<std::string(std::size_t row, std::size_t width)> cut = {};
};

// Text is UTF-8 and widths are terminal columns: a double-width character
// counts two and is never cut in half.

// The cell text cut to `width` columns, the cut marked by "...".
std::string fitCell(const std::string& text, std::size_t width, bool keepEnd);

// One string per line, header first, no line longer than `width` unless the
// columns that do not shrink need more.
std::vector<std::string> renderTable(const std::vector<TableColumn>& columns,
                                     const std::vector<std::vector<std::string>>& rows,
                                     std::size_t width);

// The same table for rows made one at a time, so that no table is held
// whole: `cellsOf(row)` is asked twice for each of `rowCount` rows (to
// measure, then to draw) and must give the same cells; each line, without
// its line end, goes to `emit`.
void streamTable(const std::vector<TableColumn>& columns, std::size_t rowCount,
                 const std::function<std::vector<std::string>(std::size_t row)>& cellsOf,
                 std::size_t width, const std::function<void(const std::string& line)>& emit);

}  // namespace mfgtool
