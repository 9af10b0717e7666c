#include "shell/command_start.h"

#include "shell/small_file.h"

#include "temp_tree.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace bivora {
namespace {

using test::AppearsSoon;
using test::TempTree;
using Words = std::vector<std::string>;

constexpr std::string_view kScript = "#!/bin/sh\nexit 0\n";

// The file's content once it ends with a line "end", or what it holds after a generous time.
std::string WhenFinished(const std::string& path)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        const auto content = ReadSmallFile(path);
        if ((content && content->ends_with("end\n")) || std::chrono::steady_clock::now() > deadline)
            return content ? *content : std::string();
        std::this_thread::yield();
    }
}

TEST(CommandStart, ChoosesTheTerminalAndItsFlag)
{
    TempTree tree;
    const std::string all = tree.MakeDir("all");
    const std::string few = tree.MakeDir("few");
    for (const char* name : {"x-terminal-emulator", "gnome-terminal", "konsole", "xterm", "myterm", "kitty"})
        tree.MakeFile(std::string("all/") + name, kScript, 0755);
    tree.MakeFile("few/xfce4-terminal", kScript, 0755);
    tree.MakeFile("few/xterm", kScript, 0755);
    tree.MakeFile("few/myterm", "not a program", 0755);

    struct Case {
        const char* label;
        std::string preamble;
        CommandEnvironment env;
        std::optional<Words> head; // the words before the keep-open helper
    };
    const std::vector<Case> cases = {
        {"system terminal first", "x-terminal-emulator", {all, "myterm"}, Words{all + "/x-terminal-emulator", "-e"}},
        {"then $TERMINAL", "x-terminal-emulator", {few + ":" + all + "/none", "xterm"}, Words{few + "/xterm", "-e"}},
        {"then the short list in its order", "x-terminal-emulator", {few, ""}, Words{few + "/xfce4-terminal", "-x"}},
        {"$TERMINAL that is no program is passed over", "x-terminal-emulator", {few, "myterm"},
         Words{few + "/xfce4-terminal", "-x"}},
        {"a chosen terminal with options", "konsole --hold", {all, ""}, Words{all + "/konsole", "--hold", "-e"}},
        {"its flag is not doubled", "'gnome-terminal' --", {all, ""}, Words{all + "/gnome-terminal", "--"}},
        {"a terminal that needs no flag", "kitty", {all, ""}, Words{all + "/kitty"}},
        {"nothing installed", "", {tree.MakeDir("empty"), "xterm"}, std::nullopt},
        {"the chosen terminal is missing", "konsole", {few, ""}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const auto words = TerminalArguments(c.preamble, "ls 'a b'", "/pane dir", c.env);
        ASSERT_EQ(words.has_value(), c.head.has_value());
        if (!words)
            continue;
        ASSERT_EQ(words->size(), c.head->size() + 6);
        EXPECT_EQ(Words(words->begin(), words->begin() + static_cast<std::ptrdiff_t>(c.head->size())), *c.head);
        // the text and the folder are arguments of their own after the helper
        EXPECT_EQ((*words)[c.head->size()], "sh");
        EXPECT_EQ((*words)[c.head->size() + 1], "-c");
        EXPECT_EQ(words->end()[-2], "ls 'a b'");
        EXPECT_EQ(words->back(), "/pane dir");
    }
}

// A terminal runs the helper, the helper runs the text in $SHELL (here a real sh) in
// the pane's folder and then an interactive $SHELL; a hostile folder name stays a name.
TEST(CommandStart, ShellCommandRunsInTheTerminalAndKeepsAShell)
{
    TempTree tree;
    const std::string bin = tree.MakeDir("bin");
    const std::string pane = tree.MakeDir("pane \xff");
    const std::string log = tree.Path("log");
    tree.MakeFile("bin/x-terminal-emulator", "#!/bin/sh\n[ \"$1\" = -e ] && shift\nexec \"$@\"\n", 0755);
    const std::string shell = tree.MakeFile(
        "bin/fake-shell",
        "#!/bin/sh\nif [ \"$1\" = -c ]; then /bin/sh \"$@\"; else echo \"$1\"; pwd; echo end; fi >> '" + log + "'\n",
        0755);
    ASSERT_EQ(::setenv("SHELL", shell.c_str(), 1), 0);

    const std::string hostile = "x; echo pwned; 'q' \"$(echo also)\"";
    const auto command = TypedCommandOf("$ printf '[%s]\\n' $L \"$R\"");
    ASSERT_TRUE(command);
    CommandContext context;
    context.leftFolder = hostile;
    context.rightFolder = "r $HOME `id`";
    context.workingDirectory = pane;
    ASSERT_TRUE(StartTypedCommand(*command, context, {bin, ""}));
    EXPECT_EQ(WhenFinished(log), "[" + hostile + "]\n[r $HOME `id`]\n-i\n" + pane + "\nend\n");
    ::unsetenv("SHELL");
}

TEST(CommandStart, ProgramCommandStartsWithItsArgumentsOrFails)
{
    TempTree tree;
    const std::string pane = tree.MakeDir("pane");
    const std::string left = tree.MakeDir("left side");
    CommandContext context;
    context.leftFolder = left;
    context.workingDirectory = pane;
    const CommandEnvironment env{tree.MakeDir("bin"), ""};

    ASSERT_TRUE(StartTypedCommand(*TypedCommandOf(">touch $L/made here"), context, env));
    EXPECT_TRUE(AppearsSoon(left + "/made"));
    EXPECT_TRUE(AppearsSoon(pane + "/here")) << "relative names land in the pane's folder";

    EXPECT_EQ(StartTypedCommand(*TypedCommandOf("> touch 'open"), context, env).Error(), EINVAL);
    EXPECT_EQ(StartTypedCommand(*TypedCommandOf(">"), context, env).Error(), EINVAL);
    EXPECT_EQ(StartTypedCommand(*TypedCommandOf("> bivora-no-such-program"), context, env).Error(), ENOENT);
    EXPECT_EQ(StartTypedCommand(*TypedCommandOf("$ echo \"open"), context, env).Error(), EINVAL);
    EXPECT_EQ(StartTypedCommand(*TypedCommandOf("$ ls"), context, env).Error(), ENOENT) << "no terminal installed";
}

} // namespace
} // namespace bivora
