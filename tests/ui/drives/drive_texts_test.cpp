#include "ui/drives/drive_texts.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

TEST(DriveEntryText, PutsTheLetterFirstAndKeepsNamesWithoutOne)
{
    const struct {
        const char* name;
        const char* entry;
    } rows[] = {
        {"File System (C:)", "C:) File System"},
        {"My Stick  (D:)", "D:) My Stick"},   // trailing blanks of the name go
        {"(E:)", "(E:)"},                      // too short to hold a name: as it is
        {" (F:)", "F:)"},                      // an empty name leaves the letter alone
        {"vol30", "vol30"},                    // a drive past Z
        {"data (x)", "data (x)"},              // brackets that hold no letter
    };
    for (const auto& row : rows)
        EXPECT_EQ(DriveEntryText(row.name), row.entry) << row.name;
}

TEST(DriveTexts, GoTextAndTheDriveOfAPath)
{
    std::vector<Drive> drives(4);
    drives[0].mountPath = "/", drives[0].letter = 'C';
    drives[1].mountPath = "/mnt/a", drives[1].letter = 'D';
    drives[2].mountPath = "/mnt/a/inner", drives[2].letter = 'E';
    drives[3].mountPath = "/mnt/far", drives[3].letter = 0;

    EXPECT_EQ(DriveGoText(drives[1], true), "D:/");
    EXPECT_EQ(DriveGoText(drives[1], false), "D:");
    // without a letter the mount path is the only name there is
    EXPECT_EQ(DriveGoText(drives[3], true), "/mnt/far");
    EXPECT_EQ(DriveGoText(drives[3], false), "/mnt/far");

    const struct {
        const char* path;
        std::optional<std::size_t> drive;
    } rows[] = {
        {"/", 0},      {"/home/x", 0},          {"/mnt/a", 1},  {"/mnt/a/b", 1}, {"/mnt/ab", 0},
        {"/mnt/a/inner/z", 2}, {"/mnt/far/q", 3}, {"", std::nullopt}, {"::{Computer}", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DriveIndexOfPath(drives, row.path), row.drive) << row.path;
}

} // namespace
} // namespace bivora
