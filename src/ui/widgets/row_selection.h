#pragma once

#include <vector>

class QItemSelection;

namespace bivora {

// A selection as row numbers: the rows selected in every column by one range, and
// the rows some range covers in part, with that range's columns.
struct RowSelection {
    struct Part {
        int row;
        int left;
        int right;
    };
    std::vector<int> rows; // ascending, each once
    std::vector<Part> parts;

    bool Empty() const { return rows.empty() && parts.empty(); }
};

// Reads the ranges once: the cost grows with the ranges and the rows they hold.
// columns is the model's column count; a range over all of them selects whole rows.
RowSelection ReadSelection(const QItemSelection& selection, int columns);

} // namespace bivora
