#include "table.h"

#include <algorithm>
#include <optional>

#include "common/text_encoding.h"

namespace mfgtool {
namespace {

constexpr std::size_t kGap = 2;
constexpr std::size_t kIndent = 2;
// Narrower than this a shrinking column shows too little to be worth it.
constexpr std::size_t kMinShrunk = 6;
const std::string kEllipsis = "...";

}  // namespace

std::string fitCell(const std::string& text, std::size_t width, bool keepEnd) {
    if (displayWidth(text) <= width) return text;
    if (width <= kEllipsis.size()) return kEllipsis.substr(0, width);
    const std::string kept(takeColumns(text, width - kEllipsis.size(), keepEnd));
    return keepEnd ? kEllipsis + kept : kept + kEllipsis;
}

std::vector<std::string> renderTable(const std::vector<TableColumn>& columns,
                                     const std::vector<std::vector<std::string>>& rows,
                                     std::size_t width) {
    std::vector<std::string> lines;
    streamTable(
        columns, rows.size(), [&rows](std::size_t row) { return rows[row]; }, width,
        [&lines](const std::string& line) { lines.push_back(line); });
    return lines;
}

void streamTable(const std::vector<TableColumn>& columns, std::size_t rowCount,
                 const std::function<std::vector<std::string>(std::size_t row)>& cellsOf,
                 std::size_t width, const std::function<void(const std::string& line)>& emit) {
    std::vector<std::size_t> widths(columns.size());
    for (std::size_t c = 0; c < columns.size(); ++c) widths[c] = displayWidth(columns[c].header);
    for (std::size_t r = 0; r < rowCount; ++r) {
        const std::vector<std::string> row = cellsOf(r);
        for (std::size_t c = 0; c < columns.size() && c < row.size(); ++c)
            widths[c] = std::max(widths[c], displayWidth(row[c]));
    }
    const auto total = [&] {
        std::size_t sum = kIndent;
        for (std::size_t w : widths) sum += w;
        return sum + kGap * (widths.empty() ? 0 : widths.size() - 1);
    };
    // One character at a time from the widest shrinking column keeps the
    // columns' share of the space as even as their content allows; columns
    // first give up what they have beyond a comfortable width, and only then
    // go below it.
    for (const bool belowComfort : {false, true}) {
        while (total() > width) {
            std::size_t widest = columns.size();
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const std::size_t floor = std::max(
                    columns[c].least,
                    belowComfort ? kMinShrunk : std::max(kMinShrunk, columns[c].comfortable));
                if (columns[c].shrinks && widths[c] > floor &&
                    (widest == columns.size() || widths[c] > widths[widest]))
                    widest = c;
            }
            if (widest == columns.size()) break;
            --widths[widest];
        }
    }

    // `row` is the body row of `cells`, none for the header.
    const auto line = [&](const std::vector<std::string>& cells, std::optional<std::size_t> row) {
        std::string out(kIndent, ' ');
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const std::string& text = c < cells.size() ? cells[c] : std::string();
            const bool cutByColumn = row && columns[c].cut && displayWidth(text) > widths[c];
            const std::string cell = cutByColumn
                                         ? columns[c].cut(*row, widths[c])
                                         : fitCell(text, widths[c], columns[c].keepEnd && row);
            const std::string pad(widths[c] - displayWidth(cell), ' ');
            if (c) out.append(kGap, ' ');
            out += columns[c].alignRight ? pad + cell : cell + pad;
        }
        while (!out.empty() && out.back() == ' ') out.pop_back();
        return out;
    };

    std::vector<std::string> headers;
    for (const TableColumn& column : columns) headers.push_back(column.header);
    emit(line(headers, std::nullopt));
    for (std::size_t r = 0; r < rowCount; ++r) emit(line(cellsOf(r), r));
}

}  // namespace mfgtool
