#include "base/pane_texts.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

TEST(FreeSpaceText, UnitsAndTruncatedFractions)
{
    EXPECT_EQ(FreeSpaceText(512), "0.00 kB");
    EXPECT_EQ(FreeSpaceText(1'536'000), "1.46 MB");
    EXPECT_EQ(FreeSpaceText(1023 * 1024), "1023.00 kB");
    EXPECT_EQ(FreeSpaceText(1024 * 1024), "1.00 MB");
    EXPECT_EQ(FreeSpaceText(5'000'000'000ULL), "4.65 GB");
    EXPECT_EQ(FreeSpaceText(3ULL << 50), "3.00 PB");
    EXPECT_EQ(FreeSpaceText(UINT64_MAX), "15.99 EB");
    EXPECT_EQ(FreeSpaceText(std::nullopt), "???");
}

TEST(PaneStatusText, NothingSelected)
{
    PaneStatusFacts facts;
    EXPECT_EQ(PaneStatusText(facts), "Empty folder");
    facts.fileSystemFolder = true;
    facts.freeSpaceText = "1.46 MB";
    EXPECT_EQ(PaneStatusText(facts), "Empty folder (1.46 MB free)");
    facts.rowCount = 1;
    facts.byteTotal = 1234;
    EXPECT_EQ(PaneStatusText(facts), "1 Object, 1,234 bytes in total (1.46 MB free)");
    facts.rowCount = 3;
    facts.byteTotal = 5'000'000'000ULL; // no wrap at 2^32
    facts.fileSystemFolder = false;
    EXPECT_EQ(PaneStatusText(facts), "3 Objects, 5,000,000,000 bytes in total");
}

TEST(PaneStatusText, OneSelected)
{
    PaneStatusFacts facts;
    facts.rowCount = 4;
    facts.selectedCount = 1;
    facts.fileSystemFolder = true;
    facts.selectedSizeText = "1,234";
    facts.selectedDateText = "01/02/26 10:00:00";
    EXPECT_EQ(PaneStatusText(facts), "Selected object: 1,234 bytes, Modified 01/02/26 10:00:00");
    facts.dateKind = DateKind::kAccessed;
    facts.selectedIsLink = true;
    EXPECT_EQ(PaneStatusText(facts), "Selected object: Shortcut, Accessed 01/02/26 10:00:00");
    facts.selectedIsFolder = true;
    facts.dateKind = DateKind::kCreated;
    EXPECT_EQ(PaneStatusText(facts), "Selected object: Folder, Created 01/02/26 10:00:00");
    facts.fileSystemFolder = false;
    EXPECT_EQ(PaneStatusText(facts), "Selected object: Special folder");
    facts.selectedIsFolder = false;
    EXPECT_EQ(PaneStatusText(facts), "Selected object: Shell extension");
}

TEST(PaneStatusText, SeveralSelected)
{
    PaneStatusFacts facts;
    facts.rowCount = 10;
    facts.selectedCount = 2;
    facts.selectedBytes = 4'294'967'296ULL;
    EXPECT_EQ(PaneStatusText(facts), "2 objects selected, 4,294,967,296 bytes in total");
}

// Ten pixels a character keeps the arithmetic readable.
int Measure(std::string_view text) { return static_cast<int>(text.size()) * 10; }

TEST(ShortenCaption, KeepsAsManyTrailingComponentsAsFit)
{
    const std::string path = "/usr/share/common/shared/tools";
    EXPECT_EQ(ShortenCaption(path, false, 1000, Measure), path);
    // "/.../shared/tools" is 17 characters: 176 pixels with the margin.
    EXPECT_EQ(ShortenCaption(path, false, 176, Measure), "/.../shared/tools");
    EXPECT_EQ(ShortenCaption(path, false, 175, Measure), "/.../tools");
    // Even the first candidate is used when nothing fits.
    EXPECT_EQ(ShortenCaption(path, false, 20, Measure), "/.../tools");
    // With a filter shown the shortest form keeps two components.
    const std::string filtered = path + " [*.cpp]";
    EXPECT_EQ(ShortenCaption(filtered, true, 20, Measure), "/.../shared/tools [*.cpp]");
}

TEST(ShortenCaption, NeverLengthensTheText)
{
    EXPECT_EQ(ShortenCaption("/a/b", false, 10, Measure), "/a/b");
    EXPECT_EQ(ShortenCaption("/ab", false, 10, Measure), "/ab");
}

} // namespace
} // namespace bivora
