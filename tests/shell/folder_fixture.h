#pragma once

#include "shell/shell_folder.h"
#include "shell/shell_namespace.h"

#include "temp_tree.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <string>
#include <vector>

namespace bivora::test {

// A namespace whose home, XDG folders and mount table (only "/") lie in a temporary
// tree, and a data folder in it for the test's files.
class FolderFixture : public ::testing::Test {
protected:
    TempTree tree;
    Environment env = tree.MakeEnvironment();
    ShellNamespace ns{env};
    std::string data = tree.MakeDir("data");

    ItemIdList IdOf(const std::string& path) const
    {
        auto id = ns.ParsePath(path);
        EXPECT_TRUE(id) << path;
        return id.value_or(ItemIdList());
    }

    static std::vector<std::string> Names(const ShellFolder& folder)
    {
        std::vector<std::string> names;
        for (const auto& item : folder.Items())
            names.push_back(item->Name());
        return names;
    }

    // The directory's own order, as the kernel lists it.
    static std::vector<std::string> ListingOrder(const std::string& path, bool withHidden = true)
    {
        std::vector<std::string> names;
        DIR* dir = ::opendir(path.c_str());
        EXPECT_TRUE(dir) << path;
        if (!dir)
            return names;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && (withHidden || name.front() != '.'))
                names.push_back(name);
        }
        ::closedir(dir);
        return names;
    }

    static std::vector<std::string> Reversed(std::vector<std::string> names)
    {
        return {names.rbegin(), names.rend()};
    }
};

} // namespace bivora::test
