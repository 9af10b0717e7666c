#pragma once

// The editor window's command ids (its menus, tool bar and keys trigger them).
namespace bivora::edcmd {

// File
inline constexpr int kInsertFile = 32857;
inline constexpr int kSave = 57603;
inline constexpr int kSaveAs = 57604;
inline constexpr int kPrint = 57608;
inline constexpr int kPageSetup = 57605;
inline constexpr int kExit = 57666;
// Edit
inline constexpr int kUndo = 57643;
inline constexpr int kSelectAll = 57642;
inline constexpr int kCut = 57635;
inline constexpr int kCopy = 57634;
inline constexpr int kPaste = 57637;
inline constexpr int kOverwrite = 32828;
inline constexpr int kDeleteLine = 32831;
inline constexpr int kInsertDateTime = 32861;
// Search
inline constexpr int kFind = 57636;
inline constexpr int kRepeatFind = 57640;
inline constexpr int kFindSelection = 32858;
inline constexpr int kReplace = 57641;
inline constexpr int kMatchBrace = 32830;
// View
inline constexpr int kToolbar = 32808;
inline constexpr int kStatusBar = 59393;
inline constexpr int kSetFont = 32769;
inline constexpr int kTabWidth = 32774;
inline constexpr int kSetColors = 32775;
inline constexpr int kWordWrap = 32829;
inline constexpr int kHexadecimal = 32827;
inline constexpr int kGotoLine = 32832;
inline constexpr int kAutoIndent = 32773;
inline constexpr int kIndentIncrease = 32859;
inline constexpr int kIndentDecrease = 32860;
// Help
inline constexpr int kNop = 32825;
inline constexpr int kAbout = 57664;

// The non-text notice, posted after a load.
inline constexpr int kNonTextNotice = 32789;

// Status bar panes.
inline constexpr int kPanePosition = 59129;
inline constexpr int kPaneOverwrite = 59140;
inline constexpr int kPaneModified = 59130;

} // namespace bivora::edcmd
