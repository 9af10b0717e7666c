#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace bivora {

// One folder of a statistics read. Sizes are in kB: a folder's own size is its files'
// 64-bit byte sum rounded to the nearest kB, and a sub-tree size adds up the kB figures
// of the folders below, so every level shows the sum of the rows under it.
struct FolderStatNode {
    std::string name;              // the folder's own name; the start folder's whole path
    bool accessible = true;        // false when the folder could not be listed
    std::uint64_t ownBytes = 0;    // files directly in the folder
    std::uint64_t ownKb = 0;
    std::uint64_t ownFiles = 0;
    std::uint64_t subtreeKb = 0;      // own + sub-tree kB of every child folder
    std::uint64_t subtreeFiles = 0;   // own + sub-tree files of every child folder
    std::uint64_t subtreeFolders = 0; // folders two levels down and deeper
    FolderStatNode* parent = nullptr;
    std::vector<FolderStatNode*> children; // in the order the folders were listed

    std::uint64_t TotalKb() const { return ownKb + subtreeKb; }
    std::uint64_t TotalFiles() const { return ownFiles + subtreeFiles; }
    std::uint64_t TotalFolders() const { return children.size() + subtreeFolders; }
};

// A whole read: the nodes live here (not in each other), so neither filling nor freeing
// a tree thousands of levels deep uses the stack.
struct FolderStats {
    std::deque<FolderStatNode> nodes; // the start folder first, parents before children
    bool failed = false;          // the start folder itself could not be read
    bool stopped = false;         // the stop flag ended the read; the figures cover what was read
    std::uint64_t inaccessible = 0; // folders that could not be listed
    std::uint64_t otherFileSystems = 0; // folders on another file system, not entered

    const FolderStatNode* Root() const { return nodes.empty() ? nullptr : &nodes.front(); }
};

// Reads the sub-tree of folder: every file once (a file with several hard links counts
// at its first sighting only), links as themselves (never followed), and no folder on
// another file system than folder's own. The stop flag is polled before every entry.
// May run on any thread.
FolderStats ReadFolderStats(const std::string& folder, const std::atomic<bool>& stop);

// The path of a node: the start folder's path with the names below it joined on.
std::string FolderStatPath(const FolderStatNode& node);

} // namespace bivora
