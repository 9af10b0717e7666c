#pragma once

#include <array>
#include <string_view>

// Every section and value name the program keeps in its settings store, in one
// place. A name used by several sections (szWindowRect, nSortBy) is one constant.
// Names given as printf patterns are formed by their users.
namespace bivora::registry {

// The store's root: the company key and the default application key.
inline constexpr std::string_view kCompanyKey = "Quellmoor Plc";
inline constexpr std::string_view kApplicationKey = "Bivora";

namespace section {
inline constexpr std::string_view kGeneralSettings = "General Settings";
inline constexpr std::string_view kMainFrameSettings = "MainFrame Settings";
inline constexpr std::string_view kLayout1 = "Layout 1";
inline constexpr std::string_view kLayout2 = "Layout 2";
inline constexpr std::string_view kLayout3 = "Layout 3";
inline constexpr std::array<std::string_view, 3> kLayouts = {kLayout1, kLayout2, kLayout3};
inline constexpr std::string_view kLeftPaneSettings = "Left Pane Settings";
inline constexpr std::string_view kRightPaneSettings = "Right Pane Settings";
inline constexpr std::string_view kBookMarks = "BookMarks";
inline constexpr std::string_view kSelectDriveDialog = "Select Drive Dialog";
inline constexpr std::string_view kEditorViewerSettings = "Editor/Viewer Settings";
inline constexpr std::string_view kEditorCharacterFormat = "Editor Character Format";
inline constexpr std::string_view kPageMargins = "Page Margins";
inline constexpr std::string_view kFindFileFolderSettings = "Find File/Folder Settings";
inline constexpr std::string_view kFolderDataSettings = "Folder Data Settings";
inline constexpr std::string_view kGrepSettings = "Grep Settings";
inline constexpr std::string_view kRecentFileList = "Recent File List";
inline constexpr std::string_view kSettings = "Settings";

// The history lists, each a section of values "0", "1", ...
inline constexpr std::string_view kFolderComboHistory = "FolderCombo History";
inline constexpr std::string_view kCommandHistory = "Command History";
inline constexpr std::string_view kVisualFilterHistory = "Visual Filter History";
inline constexpr std::string_view kSelectionPatternHistory = "Selection Pattern History";
inline constexpr std::string_view kBatchTemplateHistory = "Batch Template History";
inline constexpr std::string_view kTargetFolderHistory = "Target Folder History";
inline constexpr std::string_view kGrepFindHistory = "Grep Find History";
inline constexpr std::string_view kGrepFileTypesHistory = "Grep File Types History";
inline constexpr std::string_view kFindFileLookInHistory = "FindFile LookIn History";
inline constexpr std::string_view kReplaceTextHistory = "Replace Text History";

// The bar-state sections the main frame saves, formed from kMainFrameSettings.
inline constexpr std::string_view kBarSummaryFormat = "%s-Summary";
inline constexpr std::string_view kBarFormat = "%s-Bar%d";
} // namespace section

namespace value {
// General Settings, in the record's order.
inline constexpr std::string_view kSaveSettings = "bSaveSettings";
inline constexpr std::string_view kFileDateUzed = "eFileDateUzed";
inline constexpr std::string_view kShowHiddenFiles = "bShowHiddenFiles";
inline constexpr std::string_view kHistoryItems = "nHistoryItems";
inline constexpr std::string_view kUzeExternalEditor = "bUzeExternalEditor";
inline constexpr std::string_view kExternalEditorName = "szExternalEditorName";
inline constexpr std::string_view kDrivebarLetters = "bDrivebarLetters";
inline constexpr std::string_view kAutoReSort = "bAutoReSort";
inline constexpr std::string_view kFlatToolbars = "bFlatToolbars";
inline constexpr std::string_view kAskConfirmation = "bAskConfirmation";
inline constexpr std::string_view kSelectAddOnTop = "bSelectAddOnTop";
inline constexpr std::string_view kSelectIncFolders = "bSelectIncFolders";

// Window rectangles ("%d,%d,%d,%d") of the main frame, the editor frame, the page
// margins, the find results and the folder data window.
inline constexpr std::string_view kWindowRect = "szWindowRect";

// MainFrame Settings.
inline constexpr std::string_view kLeftPaneWidth = "nLeftPaneWidth";
inline constexpr std::string_view kLeftPaneActive = "bLeftPaneActive";
inline constexpr std::string_view kToolbarsVersion = "nToolbarsVersion";
inline constexpr std::string_view kDriveBar2Root = "bDriveBar2Root";
inline constexpr std::string_view kFolderComboWidth = "nFolderComboWidth";
inline constexpr std::string_view kFolderComboHeight = "nFolderComboHeight";
inline constexpr std::string_view kDosCmdPreample = "szDosCmdPreample";
inline constexpr std::string_view kShellCmdPreample = "szShellCmdPreample";
inline constexpr std::string_view kMaxFileSizeThumb = "nMaxFileSizeThumb";
inline constexpr std::string_view kSizeBarFormat = "SizeBar %X"; // the bar's control id in hexadecimal
inline constexpr std::string_view kBarState = "BarState"; // the arrangement of the bars (a byte block)

// Layout 1..3.
inline constexpr std::string_view kInfoHeader = "InfoHeader";
inline constexpr std::string_view kDockState = "DockState";

// Left and Right Pane Settings, and the find-results list.
inline constexpr std::string_view kDisplayFilter = "szDisplayFilter";
inline constexpr std::string_view kInitialFolder = "szInitialFolder";
inline constexpr std::string_view kViewStyle = "nViewStyle";
inline constexpr std::string_view kSortBy = "nSortBy";
inline constexpr std::string_view kSortAscending = "bSortAscending";
inline constexpr std::string_view kColumnWidths = "szColumnWidths";

// Select Drive Dialog.
inline constexpr std::string_view kGotoRoot = "bGotoRoot";
inline constexpr std::string_view kSmallIcons = "bSmallIcons";

// Editor/Viewer Settings.
inline constexpr std::string_view kSearchBackwards = "bSearchBackwards";
inline constexpr std::string_view kCyclicSearch = "bCyclicSearch";
inline constexpr std::string_view kSelectionBar = "bSelectionBar";
inline constexpr std::string_view kWordWrap = "bWordWrap";
inline constexpr std::string_view kAutoFill = "bAutoFill";
inline constexpr std::string_view kTabWidth = "bTabWidth";
inline constexpr std::string_view kForeColor = "nForeColor";
inline constexpr std::string_view kBackColor = "nBackColor";
inline constexpr std::string_view kOverrideROColors = "bOverrideROColors";

// Editor Character Format.
inline constexpr std::string_view kHeight = "nHeight";
inline constexpr std::string_view kBold = "bBold";
inline constexpr std::string_view kItalic = "bItalic";
inline constexpr std::string_view kUnderline = "bUnderline";
inline constexpr std::string_view kCharSet = "nCharSet";
inline constexpr std::string_view kPitchAndFamily = "nPitchAndFamily";
inline constexpr std::string_view kFaceName = "szFaceName";

// Find File/Folder Settings.
inline constexpr std::string_view kRecursiveFind = "bRecursiveFind";
inline constexpr std::string_view kDateHowManyBack = "nDateHowManyBack";
inline constexpr std::string_view kPrevDateUnits = "nPrevDateUnits";
inline constexpr std::string_view kKByteSize = "nkByteSize";
inline constexpr std::string_view kSizeConstraint = "nSizeConstraint";
inline constexpr std::string_view kDateMethod = "nDateMethod";

// Grep Settings.
inline constexpr std::string_view kMatchCase = "bMatchCase";
inline constexpr std::string_view kWordsOnly = "bWordsOnly";
inline constexpr std::string_view kSearchBinFiles = "bSearchBinFiles";

// Recent File List ("File1" .. "File4") and Settings.
inline constexpr std::string_view kRecentFileFormat = "File%d";
inline constexpr std::string_view kPreviewPages = "PreviewPages";
} // namespace value

} // namespace bivora::registry
