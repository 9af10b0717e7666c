#pragma once

// The program's command ids. Menus, tool bars and keys trigger them; stored settings
// (nSortBy, nViewStyle) hold some of them, so their values never change.
namespace bivora::cmd {

// Files
inline constexpr int kView = 32793;
inline constexpr int kEdit = 32794;
inline constexpr int kProperties = 32823;
inline constexpr int kCopyTo = 32791;
inline constexpr int kMoveTo = 32792;
inline constexpr int kRename = 32822;
inline constexpr int kDelete = 32786;
inline constexpr int kNewFile = 32795;
inline constexpr int kNewFolder = 32796;
inline constexpr int kFilters = 32842;
inline constexpr int kUseFilter = 32970;
inline constexpr int kFilterHistory = 32941;
inline constexpr int kExit = 57665;

// Mark
inline constexpr int kSelectAll = 32799;
inline constexpr int kSelectGroup = 32797;
inline constexpr int kLikeThisOne = 32900;
inline constexpr int kUnlikeThisOne = 32901; // no menu item: Alt+Grey -
inline constexpr int kUnselectGroup = 32798;
inline constexpr int kInvertSelection = 32800;
inline constexpr int kSynchronize = 32802;
inline constexpr int kLocateIdentical = 32803;
inline constexpr int kMirrorBrowsing = 32876;
inline constexpr int kSyncScrolling = 32877;
inline constexpr int kScrollToTop = 32878;
inline constexpr int kContainingText = 32840;
inline constexpr int kSyncOnContent = 32899;
inline constexpr int kSelectionStore = 32912;
inline constexpr int kSelectionSelect = 32913;
inline constexpr int kSelectionUnselect = 32914;
inline constexpr int kGenerateBatch = 32820;

// Edit
inline constexpr int kUndo = 32841;
inline constexpr int kCut = 57635;
inline constexpr int kCopy = 57634;
inline constexpr int kPaste = 57637;
inline constexpr int kPasteShortcut = 57638;

// View
inline constexpr int kAddressBar = 59392;
inline constexpr int kStatusBar = 59393;
inline constexpr int kToolbar = 32808;
inline constexpr int kDriveBar = 32809;
inline constexpr int kTree = 32810;
inline constexpr int kThumbBar = 32811;
inline constexpr int kLayout1 = 32957;
inline constexpr int kLayout2 = 32958;
inline constexpr int kLayout3 = 32959;
inline constexpr int kSmallIcons = 59408;
inline constexpr int kLargeIcons = 59409;
inline constexpr int kList = 59410;
inline constexpr int kDetails = 59411;
inline constexpr int kUnsorted = 32776;
inline constexpr int kSortByName = 32777;
inline constexpr int kSortByType = 32778;
inline constexpr int kSortBySize = 32779;
inline constexpr int kSortByDate = 32780;
inline constexpr int kSortByFolder = 32781;
inline constexpr int kAscending = 32890;
inline constexpr int kSortAgain = 32837;
inline constexpr int kRefresh = 32771;
inline constexpr int kSameFolder = 32909;
inline constexpr int kEqualPanes = 32855;
inline constexpr int kOnePane = 32856;
inline constexpr int kSwapPanes = 32942;
inline constexpr int kOptions = 32805;

// Bookmarks and going to folders
inline constexpr int kBookmark0 = 32943; // ... kBookmark0 + 5
inline constexpr int kParent = 32846;
inline constexpr int kRoot = 32847;
inline constexpr int kDesktop = 32848;
inline constexpr int kPrevious = 32874;
inline constexpr int kNext = 32875;
inline constexpr int kNetwork = 32930;
inline constexpr int kDocuments = 32931;

// Drive bar
inline constexpr int kRootCurrent = 32770; // Ctrl+Q: drive buttons go to the root or the current folder
inline constexpr int kDriveButton0 = 30000; // ... one per drive, in the namespace's order

// Tools
inline constexpr int kFolderData = 32824;
inline constexpr int kSelectDrive = 32833;      // for the active pane
inline constexpr int kSelectDriveLeft = 32834;  // Alt+F1
inline constexpr int kSelectDriveRight = 32835; // Alt+F2
inline constexpr int kFindFiles = 32812;
inline constexpr int kRunCommand = 32938;
inline constexpr int kDosCommand = 32939;
inline constexpr int kRunHistory = 32940;

// Help
inline constexpr int kHelpFeatures = 32862;
inline constexpr int kHelpWhatsNew = 32863;
inline constexpr int kHelpKeyboard = 32864;
inline constexpr int kHelpFaq = 32865;
inline constexpr int kHelpLicence = 32866;
inline constexpr int kAbout = 57664;

// Internal
inline constexpr int kExecuteAddress = 32788;
inline constexpr int kEditorNotice = 32789;
inline constexpr int kStartupSuggestion = 32790;

// Status bar pane of the active pane's text.
inline constexpr int kPaneStatusId = 59142;

} // namespace bivora::cmd
