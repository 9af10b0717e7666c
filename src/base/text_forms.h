#pragma once

#include <cstdint>
#include <string>

namespace bivora {

// n in decimal with "," before every group of three digits counted from the right:
// 999 -> "999", 1000 -> "1,000", 5000000000 -> "5,000,000,000".
std::string ThousandsText(std::uint64_t n);

// The text without the blanks (spaces only) at its start and end.
std::string TrimmedBlanks(const std::string& text);

// The Size column's text of a record: "<folder>" for a folder (links not followed),
// the thousands text of the size for a file-system object, else "<n/a>".
std::string SizeColumnText(bool folder, bool fileSystem, std::uint64_t size);

// A size in kB, short: divided by 1024 while above 1024 (up to three times) with unit
// kB, MB, GB or tB, and after a division one truncated decimal unless it is 0:
// 10 -> "10kB", 1024 -> "1024kB", 1536 -> "1.5MB", 2048 -> "2MB".
std::string KbSizeText(std::uint64_t kb);

// The date column's text of a time in nanoseconds since 1970: "<n/a>" for zero (no
// time known), else the local time in the locale's date and time form ("%x %X" of the
// C library's current locale and time zone), rounded down to the second.
std::string DateTimeText(std::int64_t time);

} // namespace bivora
