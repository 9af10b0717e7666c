#include "base/batch_template.h"
#include "base/command_text.h"
#include "shell/script_file.h"
#include "shell/small_file.h"

#include "temp_tree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace bivora {
namespace {

std::string RunShell(const std::string& command)
{
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    ::pclose(pipe);
    return output;
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// A generated script run by a real shell prints every hostile name back byte for byte,
// reaches each file through its quoted folder and name, and runs nothing a name holds.
TEST(BatchScriptTest, HostileNamesReachTheShellAsTheirBytes)
{
    test::TempTree tree;
    const std::string folder = tree.MakeDir("pane dir's $HOME");
    const std::string cwd = tree.MakeDir("cwd");
    const std::vector<std::string> names = {
        "plain.txt", "a b.txt", "it's", "\"q\"", "$(touch made1)", "`touch made2`", "; touch made3",
        "x\ntouch made4", "tab\there", "-n", "*", "~user", "#hash", "back\\slash", "a&b|c>d<e",
        "LD_PRELOAD=made5", "\xff\xfe\x80 not utf8", "new\n\nlines\n",
    };
    BatchTemplate batch;
    ASSERT_TRUE(batch.Parse("printf '%s|' $N, cat $L/$N, printf '%s|' \"$N\" '$N'"));
    batch.SetPaneFolders(folder, "/unused");
    std::string script(kBatchScriptHeader);
    std::string expected;
    for (const std::string& name : names) {
        tree.MakeFile("pane dir's $HOME/" + name, "<" + name + ">");
        batch.AppendItem(name, script);
        expected += name + "|<" + name + ">" + name + "|" + name + "|";
    }
    const std::string scriptPath = tree.Path("script.sh");
    ASSERT_TRUE(WriteScriptFile(scriptPath, script));

    EXPECT_EQ(RunShell("cd " + ShellQuoted(cwd) + " && /bin/sh " + ShellQuoted(scriptPath) + " 2>&1"), expected);
    for (const char* made : {"made1", "made2", "made3", "made4"})
        EXPECT_FALSE(Exists(cwd + "/" + made)) << made;
}

TEST(BatchScriptTest, ScriptFilesAreExecutableAndReplaceNothingButThePath)
{
    test::TempTree tree;
    ::umask(022);
    const std::string saved = tree.MakeFile("old.sh", "old text that is longer");
    ASSERT_TRUE(WriteScriptFile(saved, "new"));
    EXPECT_EQ(ReadSmallFile(saved).ValueOr("?"), "new");
    struct stat st {};
    ASSERT_EQ(::stat(saved.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);

    // the temporary script is the user's alone
    const std::string temporary = tree.Path("BivoraTmpBatch.sh");
    ASSERT_TRUE(WriteScriptFile(temporary, "x", 0700));
    ASSERT_EQ(::stat(temporary.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // a link at the path is replaced, never written through
    const std::string victim = tree.MakeFile("victim", "keep");
    const std::string link = tree.MakeLink("link.sh", victim);
    ASSERT_TRUE(WriteScriptFile(link, "script"));
    EXPECT_EQ(ReadSmallFile(victim).ValueOr("?"), "keep");
    EXPECT_EQ(ReadSmallFile(link).ValueOr("?"), "script");

    // a folder that is not there: the errno, and nothing left behind
    const SysStatus missing = WriteScriptFile(tree.Path("none/x.sh"), "x");
    EXPECT_EQ(missing.Error(), ENOENT);
    const std::string folder = tree.MakeDir("target");
    EXPECT_FALSE(WriteScriptFile(folder, "x"));
    EXPECT_EQ(RunShell("ls -A " + ShellQuoted(tree.Root()) + " | grep -c bivora-script"), "0\n");
}

} // namespace
} // namespace bivora
