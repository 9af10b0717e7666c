#pragma once

#include <functional>

class QWidget;

namespace bivora {

class CommandTarget;

// What the main window needs of one of its two panes. The pane lives as long as
// its widget, which the frame puts in a splitter column and Qt deletes with the
// window: implement it on the widget itself or on an object the widget owns.
class FramePane {
public:
    virtual ~FramePane() = default;

    virtual QWidget* Widget() = 0;
    // The list's view style as its view command id (59408 to 59411).
    virtual int ViewStyle() const = 0;
    virtual void SetViewStyle(int viewCommandId) = 0;
    // The list control's and the pane's links of the command chain (either may be null).
    virtual CommandTarget* ListTarget() = 0;
    virtual CommandTarget* PaneTarget() = 0;
    // Told when the pane becomes the active one or stops being it.
    virtual void SetActive(bool active) = 0;
};

// Makes the pane of a column (0 left, 1 right) with the given parent widget.
using FramePaneFactory = std::function<FramePane*(int column, QWidget* parent)>;

} // namespace bivora
