#pragma once

#include "ui/widgets/sortable_row_model.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace bivora::test {

// A small list of named, sized rows for the list tests. Every row carries the id
// it was appended with, so a test can follow a row through sorts.
class NameSizeModel : public SortableRowModel {
public:
    struct Row {
        QString name;
        int size = 0;
        int id = 0;
    };

    NameSizeModel();

    void Append(const QString& name, int size);
    void Clear();
    const Row& At(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    int RowOfId(int id) const;
    std::vector<QString> Names() const;
    std::vector<int> Ids() const;

    // Rows and ids agree: every id 0..n-1 appears exactly once.
    bool IsConsistent() const;

    int Resets() const { return m_resets; }
    int LayoutChanges() const { return m_layoutChanges; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

protected:
    void PermuteRows(const std::vector<int>& newOrder) override;

private:
    std::vector<Row> m_rows;
    int m_resets = 0;
    int m_layoutChanges = 0;
};

// The comparison of the tests under a sort parameter: name (letter case ignored)
// or size, a size tie broken by name; descending negates.
int CompareNameSize(const NameSizeModel& model, int rowA, int rowB, std::uint32_t param);

} // namespace bivora::test
