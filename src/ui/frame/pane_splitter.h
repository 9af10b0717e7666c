#pragma once

#include <QSplitter>
#include <QSplitterHandle>

namespace bivora {

// The two pane columns side by side. Column 0 keeps its width when the window is
// resized; a column narrower than its minimum (50 pixels) collapses to nothing.
class PaneSplitter final : public QSplitter {
    Q_OBJECT
public:
    static constexpr int kDefaultLeftWidth = 250;
    static constexpr int kMinimumWidth = 50;

    explicit PaneSplitter(QWidget* parent = nullptr);

    // Puts the two pane widgets in their columns; column 0 starts at leftWidth.
    void SetPanes(QWidget* left, QWidget* right, int leftWidth);

    // The column that One pane keeps and the double-click rule reads (0 or 1).
    void SetActiveColumn(int column) { m_activeColumn = column; }
    int ActiveColumn() const { return m_activeColumn; }

    int ColumnWidth(int column) const;
    int MinimumColumnWidth(int) const { return kMinimumWidth; }
    // The width of both columns together (the client width less the bar).
    int TotalWidth() const;

    // Column 0 gets the width (below the minimum it collapses), column 1 the rest.
    void SetLeftWidth(int width);
    // Column 0 gets half the total, the smaller half when it is odd.
    void EqualPanes();
    // The active column takes the whole width.
    void OnePane();
    // A double-click on the bar: equal panes when a column is at or below its
    // minimum, otherwise one pane.
    void OnBarDoubleClick();

protected:
    QSplitterHandle* createHandle() override;
    void showEvent(QShowEvent* event) override;

private:
    int m_activeColumn = 0;
    int m_pendingLeftWidth = -1;  // applied when the splitter first gets its width
};

// The bar between the columns; a double-click goes to the splitter.
class PaneSplitterHandle final : public QSplitterHandle {
    Q_OBJECT
public:
    PaneSplitterHandle(Qt::Orientation orientation, PaneSplitter* parent);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace bivora
