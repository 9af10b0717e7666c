#include "base/batch_template.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bivora {
namespace {

struct ExpansionCase {
    const char* what;
    std::string templateText;
    std::vector<std::string> names;
    std::string expected; // the lines of all items, without the header
    std::string left = "/l";
};

std::string Expand(const std::string& templateText, const std::vector<std::string>& names,
                   const std::string& left = "/l", const std::string& right = "/r")
{
    BatchTemplate batch;
    EXPECT_TRUE(batch.Parse(templateText)) << templateText;
    batch.SetPaneFolders(left, right);
    std::string script;
    for (const std::string& name : names)
        batch.AppendItem(name, script);
    return script;
}

TEST(BatchTemplateTest, ExpandsEveryCodeAsTheShellWillReadIt)
{
    const std::vector<ExpansionCase> cases = {
        {"name and base", "ren $N $B.old", {"a.txt", "b.doc"}, "ren a.txt a.old\nren b.doc b.old\n"},
        {"two lines per item share the counter", " copy $N $R , echo $01 ", {"a", "b"},
         "copy a /r\necho 01\ncopy b /r\necho 02\n"},
        {"pane folders and extension", "$L/$B.$E $R", {"x.tar.gz"}, "/l/x.tar.gz /r\n"},
        {"empty values and unknown codes stay", "$E $X $n $B", {"noext", ".bashrc"},
         "$E $X $n noext\nbashrc $X $n $B\n"},
        {"a dollar before a code", "$$N", {"a"}, "$a\n"},
        {"dollar alone and at line ends", "$ x $,$", {"a"}, "$ x $\n$\n"},
        {"codes at line ends", "$N,$B,$E,$1", {"a.b"}, "a.b\na\nb\n1\n"},
        {"$0 starts at 0, $10 at 10", "$0 $10", {"a", "b"}, "0 10\n1 11\n"},
        {"a counter grows past its width", "$9", std::vector<std::string>(12, "f"),
         "9\n10\n11\n12\n13\n14\n15\n16\n17\n18\n19\n20\n"},
        {"leading zeros kept, width grows", "$001 $01", std::vector<std::string>(3, "f"),
         "001 01\n002 02\n003 03\n"},
        {"a long digit run does not overflow", "$99999999999999999999", {"a", "b"},
         "99999999999999999999\n100000000000000000000\n"},
        {"digits after a counter belong to it", "$1x$2", {"a"}, "1x2\n"},
        // quoting of names that a shell would read otherwise
        {"blank", "mv $N $B.bak", {"a b.txt"}, "mv 'a b.txt' 'a b'.bak\n"},
        {"quote", "rm $N", {"it's"}, "rm 'it'\\''s'\n"},
        {"command substitution and backtick", "cat $N $N", {"$(reboot)"}, "cat '$(reboot)' '$(reboot)'\n"},
        {"backtick, semicolon", "cat $N", {"`id`;x"}, "cat '`id`;x'\n"},
        {"newline stays in one word", "cat $N", {"a\nrm -rf ~"}, "cat 'a\nrm -rf ~'\n"},
        {"leading dash left to the template", "rm -- $N", {"-rf"}, "rm -- -rf\n"},
        {"an assignment-like name", "$N ls", {"LD_PRELOAD=x"}, "'LD_PRELOAD=x' ls\n"},
        {"glob and tilde and hash", "ls $N $N $N", {"*"}, "ls '*' '*' '*'\n"},
        {"bytes that are not UTF-8", "cat $N", {"\xff\xfe a"}, "cat '\xff\xfe a'\n"},
        {"a folder with a blank", "cd $L", {"a"}, "cd '/my dir'\n", "/my dir"},
        // the quoting of the place the code stands in
        {"inside double quotes", "echo \"$N\"", {"a\"$b`c\\"}, "echo \"a\\\"\\$b\\`c\\\\\"\n"},
        {"inside single quotes", "echo '$N'", {"it's"}, "echo 'it'\\''s'\n"},
        {"an escaped code is the shell's", "echo \\$N $N", {"a b"}, "echo \\$N 'a b'\n"},
        {"inside a comment a line break cannot end it", "# $N", {"x\nreboot"}, "# x?reboot\n"},
        {"a hash inside a word is no comment", "echo a#$N", {"x y"}, "echo a#'x y'\n"},
    };
    for (const ExpansionCase& c : cases)
        EXPECT_EQ(Expand(c.templateText, c.names, c.left), c.expected) << c.what;
}

TEST(BatchTemplateTest, RefusesTemplatesWithoutEntriesAndBuildsLongLines)
{
    BatchTemplate batch;
    EXPECT_FALSE(batch.Parse(" , ,\t, "));
    EXPECT_FALSE(batch.Parse(""));

    // a line far over 64 KB, from a long template and long values, is built whole
    const std::string longName(70000, 'n');
    const std::string longFolder = "/" + std::string(70000, 'f');
    const std::string longTemplate = "echo " + std::string(70000, 'x') + " $N $L";
    const std::string script = Expand(longTemplate, {longName}, longFolder);
    EXPECT_EQ(script, "echo " + std::string(70000, 'x') + " " + longName + " " + longFolder + "\n");

    // parsing again starts the counter afresh
    ASSERT_TRUE(batch.Parse("$1"));
    std::string first;
    batch.AppendItem("a", first);
    ASSERT_TRUE(batch.Parse("$1"));
    std::string again;
    batch.AppendItem("a", again);
    EXPECT_EQ(first, again);
}

} // namespace
} // namespace bivora
