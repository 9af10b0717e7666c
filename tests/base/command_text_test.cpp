#include "base/command_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bivora {
namespace {

using Words = std::vector<std::string>;

TEST(CommandText, SplitsLikeAShellWithoutExpanding)
{
    struct Case {
        const char* label;
        std::string_view text;
        std::optional<Words> words;
    };
    const std::vector<Case> cases = {
        {"blanks separate", "  ls\t-l   /tmp ", Words{"ls", "-l", "/tmp"}},
        {"single quotes keep all", R"(echo 'a  b' '$HOME' 'x\y')", Words{"echo", "a  b", "$HOME", R"(x\y)"}},
        {"double quotes keep blanks and plain backslashes", R"(echo "a  b" "x\y")", Words{"echo", "a  b", R"(x\y)"}},
        {"double quotes unescape four characters", R"("\\ \" \$ \`")", Words{R"(\ " $ `)"}},
        {"backslash outside quotes", R"(a\ b c\\d \')", Words{"a b", R"(c\d)", "'"}},
        {"line continuation", "a\\\nb \"c\\\nd\"", Words{"ab", "cd"}},
        {"empty quotes are an empty argument", R"(prog '' "")", Words{"prog", "", ""}},
        {"shell operators are plain words", "a|b ; c", Words{"a|b", ";", "c"}},
        {"bytes pass", "\xff\xfe '\x01'", Words{"\xff\xfe", "\x01"}},
        {"open single quote", "echo 'abc", std::nullopt},
        {"open double quote", R"(echo "abc)", std::nullopt},
        {"lone backslash at the end", "echo abc\\", std::nullopt},
        {"NUL byte", std::string_view("a\0b", 3), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(SplitCommandLine(c.text), c.words);
    }
}

TEST(CommandText, QuotesOnlyWhatAShellWouldInterpret)
{
    EXPECT_EQ(ShellQuoted("/home/u/src-1.2_x,y=z@h%:+"), "/home/u/src-1.2_x,y=z@h%:+");
    EXPECT_EQ(ShellQuoted(""), "''");
    EXPECT_EQ(ShellQuoted("a b"), "'a b'");
    EXPECT_EQ(ShellQuoted("it's"), R"('it'\''s')");
}

// Whatever the folder's bytes and wherever $L stands, the split gives the folder back
// as it is, and never a word more than the template has.
TEST(CommandText, PaneFoldersStayOneWordInEveryQuoting)
{
    const std::vector<std::string> folders = {
        "/plain/dir", "/x; rm -rf ~", "/it's", R"(/"quoted" \ back)", "/$(id)`id`$HOME",
        "/new\nline", "/tab\there", "/\xff\xfe", "", "/*?[a]", "/a'\"'b", "/-n",
    };
    struct Place {
        const char* line;
        const char* prefix; // what stands before the folder in its word
        const char* suffix;
    };
    const std::vector<Place> places = {
        {"cmd $L end", "", ""},
        {"cmd $L/a.txt end", "", "/a.txt"},
        {"cmd \"in $L q\" end", "in ", " q"},
        {"cmd 'in $L q' end", "in ", " q"},
        {"cmd x\"$L\"'$L' end", "x", ""}, // checked by the doubled folder below
    };
    for (const std::string& folder : folders) {
        for (const Place& place : places) {
            SCOPED_TRACE(std::string(place.line) + " with " + folder);
            const auto words = SplitCommandLine(InsertPaneFolders(place.line, folder, "R"));
            ASSERT_TRUE(words);
            ASSERT_EQ(words->size(), 3u);
            EXPECT_EQ((*words)[0], "cmd");
            const std::string expected = std::string(place.prefix) + folder + place.suffix
                + (std::string_view(place.line).find("'$L'") != std::string_view::npos ? folder : "");
            EXPECT_EQ((*words)[1], expected);
            EXPECT_EQ((*words)[2], "end");
        }
    }
    EXPECT_EQ(InsertPaneFolders("cp $L/a $R", "/l", "/r r"), "cp /l/a '/r r'");
    EXPECT_EQ(InsertPaneFolders(R"(echo \$L $$L)", "/l", ""), R"(echo \$L $/l)");
}

TEST(CommandText, TypedCommandsAndTheirArguments)
{
    const auto program = TypedCommandOf("   >  \t gedit $L/notes.txt");
    ASSERT_TRUE(program);
    EXPECT_FALSE(program->inTerminal);
    EXPECT_EQ(program->text, "gedit $L/notes.txt");
    EXPECT_EQ(program->asTyped, ">  \t gedit $L/notes.txt");
    EXPECT_EQ(ProgramCommand("nice ", program->text, "/my docs", "/r"), (Words{"nice", "gedit", "/my docs/notes.txt"}));
    EXPECT_EQ(ProgramCommand("", "'' arg", "/l", "/r"), std::nullopt) << "an empty program name";

    const auto shell = TypedCommandOf("$ ls $L | wc -l");
    ASSERT_TRUE(shell);
    EXPECT_TRUE(shell->inTerminal);
    EXPECT_EQ(TerminalCommandText(shell->text, "/x; rm -rf ~", ""), "ls '/x; rm -rf ~' | wc -l");
    EXPECT_EQ(TerminalCommandText("", "/l", "/r"), "") << "$ alone opens a shell";

    EXPECT_FALSE(TypedCommandOf("/home/u"));
    EXPECT_FALSE(TypedCommandOf("a>b"));
}

} // namespace
} // namespace bivora
