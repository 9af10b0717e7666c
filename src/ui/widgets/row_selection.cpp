#include "ui/widgets/row_selection.h"

#include <QItemSelection>

#include <algorithm>

namespace bivora {

RowSelection ReadSelection(const QItemSelection& selection, int columns)
{
    struct Span {
        int first;
        int last;
    };
    std::vector<Span> whole;
    RowSelection read;
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.parent().isValid())
            continue;
        if (range.left() <= 0 && range.right() >= columns - 1) {
            whole.push_back({range.top(), range.bottom()});
            continue;
        }
        for (int row = range.top(); row <= range.bottom(); ++row)
            read.parts.push_back({row, range.left(), range.right()});
    }
    std::sort(whole.begin(), whole.end(), [](const Span& a, const Span& b) { return a.first < b.first; });
    int last = -1;
    for (const Span& span : whole) {
        for (int row = std::max(span.first, last + 1); row <= span.last; ++row)
            read.rows.push_back(row);
        last = std::max(last, span.last);
    }
    std::sort(read.parts.begin(), read.parts.end(), [](const RowSelection::Part& a, const RowSelection::Part& b) {
        return a.row != b.row ? a.row < b.row : a.left < b.left;
    });
    return read;
}

} // namespace bivora
