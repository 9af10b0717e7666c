#include "shell/file_operation.h"

#include "shell/file_system_calls.h"
#include "temp_tree.h"
#include "test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <functional>
#include <sstream>

#include <sys/mount.h>
#include <sys/stat.h>

namespace bivora {
namespace {

using test::TempTree;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Answers the engine's questions from scripts and records what it reported.
class ScriptedCallbacks : public FileOpCallbacks {
public:
    std::deque<CollisionAnswer> replaceAnswers; // when empty: No
    std::deque<ErrorAnswer> errorAnswers;       // when empty: Skip
    bool deletePermanently = false;

    std::vector<FileOpError> errors;
    std::vector<std::string> replaceQuestions;
    std::vector<std::string> skipped;
    std::vector<std::string> deleteQuestions;
    FileOpProgress last;
    std::function<void(const FileOpProgress&)> onProgress;

    void Progress(const FileOpProgress& progress) override
    {
        EXPECT_LE(progress.bytesDone, progress.bytesTotal);
        last = progress;
        if (onProgress)
            onProgress(progress);
    }
    CollisionAnswer AskReplace(const std::string&, const std::string& target) override
    {
        replaceQuestions.push_back(target);
        return Pop(replaceAnswers, CollisionAnswer::No);
    }
    ErrorAnswer AskError(const FileOpError& error) override
    {
        errors.push_back(error);
        return Pop(errorAnswers, ErrorAnswer::Skip);
    }
    bool AskDeletePermanently(const std::string& path) override
    {
        deleteQuestions.push_back(path);
        return deletePermanently;
    }
    void Skipped(const std::string& path, const std::string&) override { skipped.push_back(path); }

private:
    template <typename T>
    static T Pop(std::deque<T>& answers, T fallback)
    {
        if (answers.empty())
            return fallback;
        const T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// The real file system with a hook before each call: the hook names the call and its
// path (empty for a call on a descriptor) and returns an errno to fail it with, or 0.
class FaultyCalls : public FileSystemCalls {
public:
    std::function<int(std::string_view call, const std::string& path)> hook;

    SysResult<int> Open(const std::string& path, int flags, mode_t mode) override
    {
        return Pass<int>(flags & O_CREAT ? "create" : "open", path, [&] { return m_real.Open(path, flags, mode); });
    }
    SysStatus Close(int fd) override { return m_real.Close(fd); }
    SysResult<std::size_t> Read(int fd, char* buffer, std::size_t size) override
    {
        return Pass<std::size_t>("read", {}, [&] { return m_real.Read(fd, buffer, size); });
    }
    SysResult<std::size_t> Write(int fd, const char* data, std::size_t size) override
    {
        return Pass<std::size_t>("write", {}, [&] { return m_real.Write(fd, data, size); });
    }
    SysResult<std::size_t> CopyRange(int in, int out, std::size_t size) override
    {
        return Pass<std::size_t>("copyrange", {}, [&] { return m_real.CopyRange(in, out, size); });
    }
    SysStatus Clone(int in, int out) override
    {
        return Pass<Done>("clone", {}, [&] { return m_real.Clone(in, out); });
    }
    SysResult<FileStat> Stat(const std::string& path, bool followLink) override
    {
        return m_real.Stat(path, followLink);
    }
    SysResult<FileStat> StatFd(int fd) override { return m_real.StatFd(fd); }
    SysResult<std::vector<std::string>> List(const std::string& folder) override { return m_real.List(folder); }
    SysStatus MakeFolder(const std::string& path, mode_t mode) override
    {
        return Pass<Done>("mkdir", path, [&] { return m_real.MakeFolder(path, mode); });
    }
    SysStatus MakeLink(const std::string& target, const std::string& path) override
    {
        return m_real.MakeLink(target, path);
    }
    SysResult<std::string> ReadLink(const std::string& path) override { return m_real.ReadLink(path); }
    SysStatus Rename(const std::string& from, const std::string& to, bool noReplace) override
    {
        return Pass<Done>("rename", from, [&] { return m_real.Rename(from, to, noReplace); });
    }
    SysStatus Remove(const std::string& path, bool folder) override
    {
        return Pass<Done>("remove", path, [&] { return m_real.Remove(path, folder); });
    }
    SysStatus SetMode(int fd, mode_t mode) override { return m_real.SetMode(fd, mode); }
    SysStatus SetTimes(int fd, const timespec times[2]) override { return m_real.SetTimes(fd, times); }
    SysStatus SetModeAt(const std::string& path, mode_t mode) override { return m_real.SetModeAt(path, mode); }
    SysStatus SetTimesAt(const std::string& path, const timespec times[2]) override
    {
        return m_real.SetTimesAt(path, times);
    }

private:
    template <typename T, typename Call>
    SysResult<T> Pass(std::string_view call, const std::string& path, Call&& real)
    {
        if (const int error = hook ? hook(call, path) : 0)
            return SysResult<T>::Failure(error);
        return real();
    }

    FileSystemCalls& m_real = RealFileSystem();
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The names in a folder, sorted: a temporary file left behind shows here.
std::vector<std::string> Names(const std::string& folder)
{
    auto names = RealFileSystem().List(folder);
    EXPECT_TRUE(names) << folder;
    std::vector<std::string> sorted = names ? *names : std::vector<std::string>{};
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

struct stat LStat(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

// Bytes that differ from block to block, so a misplaced block shows.
std::string Pattern(std::size_t size)
{
    std::string data;
    data.reserve(size);
    for (unsigned block = 0; data.size() < size; ++block)
        data.append(std::min<std::size_t>(4096, size - data.size()), static_cast<char>('a' + block % 23));
    return data;
}

class FileOperation : public ::testing::Test {
protected:
    FileOpResult Run(FileOpKind kind, std::vector<std::string> sources, const std::string& target,
                     bool renameOnCollision = false, bool ask = true, const std::atomic<bool>* cancel = nullptr)
    {
        FileOpRequest request{kind, std::move(sources), target, renameOnCollision, ask};
        return RunFileOperation(request, callbacks, calls, env, cancel);
    }
    // The real calls, but a reflink and copy_file_range refused, so data goes through
    // read and write where a fault can be injected at the Nth call.
    void ForceReadWrite(std::function<int(std::string_view, const std::string&)> then)
    {
        calls.hook = [then = std::move(then)](std::string_view call, const std::string& path) {
            if (call == "clone")
                return EOPNOTSUPP;
            if (call == "copyrange")
                return ENOSYS;
            return then(call, path);
        };
    }

    TempTree tree;
    Environment env = tree.MakeEnvironment();
    ScriptedCallbacks callbacks;
    FaultyCalls calls;
};

TEST_F(FileOperation, CopyKeepsModeTimesAndLinksAndSkipsSpecialFiles)
{
    tree.MakeFile("src/a.txt", "alpha", 0640);
    test::SetTimes(tree.Path("src/a.txt"), 1000000000, 1100000000);
    tree.MakeFile("src/sub/b.bin", Pattern(3 << 20), 0755);
    tree.MakeLink("src/rel", "../elsewhere");
    tree.MakeLink("src/sub/loop", ".."); // a folder loop: copied as a link, never entered
    tree.MakeLink("src/self", "self");
    ASSERT_EQ(::mkfifo(tree.Path("src/pipe").c_str(), 0600), 0);
    ::chmod(tree.Path("src/sub").c_str(), 0550);
    test::SetTimes(tree.Path("src/sub"), 1200000000, 1200000000);
    const std::string target = tree.MakeDir("dst");

    const FileOpResult result = Run(FileOpKind::Copy, {tree.Path("src")}, target);

    EXPECT_FALSE(result.cancelled);
    EXPECT_THAT(result.names, ElementsAre("src"));
    EXPECT_THAT(callbacks.skipped, ElementsAre(tree.Path("src/pipe")));
    EXPECT_THAT(callbacks.errors, IsEmpty());
    EXPECT_THAT(Names(target + "/src"), ElementsAre("a.txt", "rel", "self", "sub"));
    EXPECT_EQ(ReadAll(target + "/src/a.txt"), "alpha");
    EXPECT_EQ(ReadAll(target + "/src/sub/b.bin"), Pattern(3 << 20));
    const struct stat a = LStat(target + "/src/a.txt");
    EXPECT_EQ(a.st_mode & 07777, 0640u);
    EXPECT_EQ(a.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(a.st_mtim.tv_nsec, 500);
    EXPECT_EQ(LStat(target + "/src/sub/b.bin").st_mode & 07777, 0755u);
    const struct stat sub = LStat(target + "/src/sub");
    EXPECT_EQ(sub.st_mode & 07777, 0550u);
    EXPECT_EQ(sub.st_mtim.tv_sec, 1200000000); // set after its contents arrived
    EXPECT_EQ(RealFileSystem().ReadLink(target + "/src/sub/loop").ValueOr({}), "..");
    EXPECT_EQ(RealFileSystem().ReadLink(target + "/src/rel").ValueOr({}), "../elsewhere");
    EXPECT_EQ(callbacks.last.bytesDone, callbacks.last.bytesTotal);
    EXPECT_EQ(callbacks.last.bytesTotal, 5u + (3u << 20));
}

// Names are bytes: whatever a name holds, a copy beside it gets "(copy)" and the right
// bytes, and a copy elsewhere keeps the name.
TEST_F(FileOperation, CopiesNamesOfAnyBytes)
{
    const std::string longName = std::string(251, 'n') + ".txt";
    const struct {
        std::string name;
        std::string copyName;
    } cases[] = {
        {"caf\xe9 \xff.txt", "caf\xe9 \xff (copy).txt"},
        {"two\nlines", "two\nlines (copy)"},
        {"-rf", "-rf (copy)"},
        {longName, std::string(244, 'n') + " (copy).txt"},
    };
    const std::string other = tree.MakeDir("other");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = tree.MakeFile("src/" + c.name, c.name);
        const FileOpResult beside = Run(FileOpKind::Copy, {source}, tree.Path("src"), true);
        EXPECT_THAT(beside.names, ElementsAre(c.copyName));
        EXPECT_EQ(ReadAll(tree.Path("src/" + c.copyName)), c.name);
        EXPECT_EQ(ReadAll(source), c.name);
        const FileOpResult elsewhere = Run(FileOpKind::Copy, {source}, other);
        EXPECT_THAT(elsewhere.names, ElementsAre(c.name));
        EXPECT_EQ(ReadAll(other + "/" + c.name), c.name);
    }
    // A copy of a copy counts on.
    EXPECT_THAT(Run(FileOpKind::Copy, {tree.Path("src/-rf")}, tree.Path("src"), true).names,
                ElementsAre("-rf (copy 2)"));
    EXPECT_THAT(callbacks.errors, IsEmpty());
}

TEST_F(FileOperation, CollisionAnswersDecideEachItem)
{
    const struct {
        const char* label;
        bool ask;
        std::vector<CollisionAnswer> answers;
        const char* first; // what the targets hold afterwards
        const char* second;
        bool cancelled;
    } cases[] = {
        {"no", true, {CollisionAnswer::No, CollisionAnswer::Yes}, "old1", "new2", false},
        {"yes to all", true, {CollisionAnswer::YesToAll}, "new1", "new2", false},
        {"cancel", true, {CollisionAnswer::Cancel}, "old1", "old2", true},
        {"no question", false, {}, "new1", "new2", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string one = tree.MakeFile("src/one", "new1");
        const std::string two = tree.MakeFile("src/two", "new2");
        tree.MakeFile("dst/one", "old1");
        tree.MakeFile("dst/two", "old2");
        callbacks.replaceAnswers.assign(c.answers.begin(), c.answers.end());
        const FileOpResult result = Run(FileOpKind::Copy, {one, two}, tree.Path("dst"), false, c.ask);
        EXPECT_EQ(result.cancelled, c.cancelled);
        EXPECT_EQ(ReadAll(tree.Path("dst/one")), c.first);
        EXPECT_EQ(ReadAll(tree.Path("dst/two")), c.second);
        EXPECT_THAT(Names(tree.Path("dst")), ElementsAre("one", "two"));
    }
}

TEST_F(FileOperation, FolderOntoFolderMergesAskingPerFile)
{
    tree.MakeFile("src/f/keep", "new");
    tree.MakeFile("src/f/add", "added");
    tree.MakeFile("dst/f/keep", "old");
    tree.MakeFile("dst/f/other", "other");
    callbacks.replaceAnswers = {CollisionAnswer::Yes, CollisionAnswer::No};

    const FileOpResult result = Run(FileOpKind::Move, {tree.Path("src/f")}, tree.Path("dst"));

    EXPECT_THAT(callbacks.replaceQuestions, ElementsAre(tree.Path("dst/f"), tree.Path("dst/f/keep")));
    EXPECT_THAT(result.names, ElementsAre("f"));
    EXPECT_THAT(Names(tree.Path("dst/f")), ElementsAre("add", "keep", "other"));
    EXPECT_EQ(ReadAll(tree.Path("dst/f/keep")), "old");
    // What was declined stays in its folder at the source.
    EXPECT_THAT(Names(tree.Path("src/f")), ElementsAre("keep"));
}

TEST_F(FileOperation, RefusesFolderIntoItselfAndMoveOntoItself)
{
    tree.MakeFile("src/f/inner/x", "x");
    const std::string folder = tree.Path("src/f");
    const std::string linkToInner = tree.MakeLink("via", folder + "/inner");
    const struct {
        FileOpKind kind;
        std::string target;
    } cases[] = {
        {FileOpKind::Copy, folder},
        {FileOpKind::Copy, linkToInner}, // below it by a path through a link
        {FileOpKind::Move, folder + "/inner"},
        {FileOpKind::Move, tree.Path("src")}, // already there
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        callbacks.skipped.clear();
        const FileOpResult result = Run(c.kind, {folder}, c.target);
        EXPECT_EQ(result.itemsSkipped, 1u);
        EXPECT_THAT(callbacks.skipped, ElementsAre(folder));
        EXPECT_THAT(Names(folder), ElementsAre("inner"));
        EXPECT_THAT(Names(folder + "/inner"), ElementsAre("x"));
    }
}

// A move across file systems (rename refused with EXDEV): copied, then the source goes;
// a cancel after the copy leaves the source whole and takes the copy away again.
TEST_F(FileOperation, MoveAcrossFileSystems)
{
    for (const bool cancelAfterCopy : {false, true}) {
        SCOPED_TRACE(cancelAfterCopy);
        TempTree t;
        t.MakeFile("src/f/a", "aaa");
        t.MakeFile("src/f/sub/b", Pattern(100000));
        const std::string target = t.MakeDir("dst");
        std::atomic<bool> cancel{false};
        int placed = 0;
        calls.hook = [&](std::string_view call, const std::string& path) {
            if (call == "rename" && path.find("/.bivora-") == std::string::npos)
                return EXDEV;
            // The second file renamed into place is the copy's last step.
            if (call == "rename" && ++placed == 2 && cancelAfterCopy)
                cancel = true;
            if (call == "remove" && cancelAfterCopy && path.find("/src/") != std::string::npos)
                ADD_FAILURE() << "removed " << path;
            return 0;
        };
        const FileOpResult result = Run(FileOpKind::Move, {t.Path("src/f")}, target, false, true, &cancel);
        EXPECT_EQ(result.cancelled, cancelAfterCopy);
        if (cancelAfterCopy) {
            EXPECT_THAT(Names(target), IsEmpty());
            EXPECT_THAT(Names(t.Path("src/f")), ElementsAre("a", "sub"));
            EXPECT_EQ(ReadAll(t.Path("src/f/sub/b")), Pattern(100000));
        } else {
            EXPECT_THAT(result.names, ElementsAre("f"));
            EXPECT_THAT(Names(t.Path("src")), IsEmpty());
            EXPECT_EQ(ReadAll(target + "/f/sub/b"), Pattern(100000));
        }
    }
}


// Each fault meets the first of two files; the answer decides about it, the second file
// is copied whatever it was. Afterwards every source byte is there and no final name
// holds part of a file, nor does a temporary file remain.
TEST_F(FileOperation, DataFaultsLeaveNoPartialFile)
{
    using Step = FileOpError::Step;
    const struct {
        const char* label;
        bool readWrite;                            // reflink and copy_file_range refused
        std::string_view call;                     // the call that fails ...
        int nth;                                   // ... at its nth use (every use after: -nth)
        int error;
        std::vector<ErrorAnswer> answers;
        Step step;                                 // what is asked about
        bool firstCopied;
    } cases[] = {
        {"disk full", true, "write", 3, ENOSPC, {ErrorAnswer::Skip}, Step::Write, false},
        {"disk full, then room", true, "write", 3, ENOSPC, {ErrorAnswer::Retry}, Step::Write, true},
        {"read error", true, "read", 2, EIO, {ErrorAnswer::Skip}, Step::Read, false},
        {"target refused", false, "create", 1, EACCES, {ErrorAnswer::Skip}, Step::Create, false},
        {"source vanished", false, "copyrange", 2, ENOENT, {ErrorAnswer::Skip}, Step::Read, false},
        {"rename refused", false, "rename", 1, EACCES, {ErrorAnswer::Skip}, Step::Rename, false},
    };
    const std::string data = Pattern(5 << 20);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempTree t;
        const std::string first = t.MakeFile("src/first", data);
        const std::string second = t.MakeFile("src/second", "2");
        const std::string target = t.MakeDir("dst");
        int uses = 0;
        auto fault = [&c, &uses](std::string_view call, const std::string&) {
            return call == c.call && ++uses == c.nth ? c.error : 0;
        };
        if (c.readWrite)
            ForceReadWrite(fault);
        else
            calls.hook = [&](std::string_view call, const std::string& path) {
                return call == "clone" ? EOPNOTSUPP : fault(call, path);
            };
        callbacks.errors.clear();
        callbacks.errorAnswers.assign(c.answers.begin(), c.answers.end());

        const FileOpResult result = Run(FileOpKind::Copy, {first, second}, target);

        ASSERT_EQ(callbacks.errors.size(), 1u);
        EXPECT_EQ(callbacks.errors[0].step, c.step);
        EXPECT_EQ(callbacks.errors[0].error, c.error);
        EXPECT_FALSE(result.cancelled);
        EXPECT_EQ(ReadAll(first), data);
        EXPECT_EQ(ReadAll(target + "/second"), "2");
        if (c.firstCopied) {
            EXPECT_THAT(Names(target), ElementsAre("first", "second"));
            EXPECT_EQ(ReadAll(target + "/first"), data);
            EXPECT_EQ(callbacks.last.bytesDone, data.size() + 1); // a retried file counts once
        } else {
            EXPECT_THAT(Names(target), ElementsAre("second"));
            EXPECT_THAT(result.names, ElementsAre("second"));
        }
    }
}

TEST_F(FileOperation, CancelInTheMiddleOfALargeFileStopsAtTheNextBlock)
{
    const std::string data = Pattern(64 << 20);
    const std::string source = tree.MakeFile("src/big", data);
    const std::string target = tree.MakeDir("dst");
    std::atomic<bool> cancel{false};
    int blocks = 0;
    calls.hook = [&](std::string_view call, const std::string&) {
        if (call == "clone")
            return EOPNOTSUPP;
        if (call == "copyrange" && ++blocks == 3)
            cancel = true;
        return 0;
    };

    const FileOpResult result = Run(FileOpKind::Copy, {source}, target, false, true, &cancel);

    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(blocks, 3);
    EXPECT_THAT(result.names, IsEmpty());
    EXPECT_THAT(Names(target), IsEmpty());
    EXPECT_EQ(ReadAll(source), data);
}

// A real full disk: a tmpfs of 4 MiB (mounting needs root).
TEST_F(FileOperation, RealFullDiskLeavesNoPartialFile)
{
    const std::string target = tree.MakeDir("small");
    if (::geteuid() != 0 || ::mount("tmpfs", target.c_str(), "tmpfs", 0, "size=4m") != 0)
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const std::string data = Pattern(6 << 20);
    const std::string source = tree.MakeFile("src/big", data);
    const std::string small = tree.MakeFile("src/small", "fits");

    const FileOpResult result = Run(FileOpKind::Move, {source, small}, target);
    const auto names = Names(target);
    ::umount(target.c_str());

    ASSERT_FALSE(callbacks.errors.empty());
    EXPECT_EQ(callbacks.errors[0].error, ENOSPC);
    EXPECT_THAT(result.names, ElementsAre("small"));
    EXPECT_THAT(names, ElementsAre("small"));
    EXPECT_EQ(ReadAll(source), data);
    EXPECT_THAT(Names(tree.Path("src")), ElementsAre("big"));
}

TEST_F(FileOperation, DeleteNeverFollowsLinksAndKeepsWhatIsSkipped)
{
    tree.MakeFile("outside/precious", "keep");
    tree.MakeLink("gone/to-outside", tree.Path("outside"));
    tree.MakeFile("gone/sub/a", "a");
    tree.MakeFile("part/stays", "s");
    tree.MakeFile("part/goes", "g");
    calls.hook = [](std::string_view call, const std::string& path) {
        return call == "remove" && path.ends_with("/stays") ? EACCES : 0;
    };

    const FileOpResult result = Run(FileOpKind::Delete, {tree.Path("gone"), tree.Path("part")}, {});

    EXPECT_THAT(result.names, ElementsAre("gone"));
    EXPECT_EQ(result.itemsSkipped, 1u);
    ASSERT_EQ(callbacks.errors.size(), 1u); // the folder left holding it is not asked about again
    EXPECT_EQ(callbacks.errors[0].step, FileOpError::Step::Remove);
    EXPECT_THAT(Names(tree.Path()), ElementsAre("home", "mountinfo", "outside", "part", "tmp"));
    EXPECT_THAT(Names(tree.Path("part")), ElementsAre("stays"));
    EXPECT_EQ(ReadAll(tree.Path("outside/precious")), "keep");
}

// Whatever trash there is: an item is trashed, or the user is asked, and only a yes
// deletes it for good.
TEST_F(FileOperation, TrashNeverDeletesWithoutBeingAsked)
{
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        const std::string item = tree.MakeFile("item", "x");
        callbacks.deleteQuestions.clear();
        callbacks.deletePermanently = yes;
        const FileOpResult result = Run(FileOpKind::Trash, {item}, {});
        const bool stays = ::access(item.c_str(), F_OK) == 0;
        if (callbacks.deleteQuestions.empty()) {
            EXPECT_FALSE(stays);
            EXPECT_THAT(result.names, ElementsAre("item"));
        } else {
            EXPECT_THAT(callbacks.deleteQuestions, ElementsAre(item));
            EXPECT_EQ(stays, !yes);
            EXPECT_EQ(result.itemsDone, yes ? 1u : 0u);
        }
    }
}

TEST_F(FileOperation, LinkPointsAtTheAbsoluteSource)
{
    const std::string source = tree.MakeFile("src/doc.txt", "d");
    const std::string target = tree.MakeDir("dst");
    tree.MakeFile("dst/doc.txt", "other");

    EXPECT_THAT(Run(FileOpKind::Link, {source}, target, true).names, ElementsAre("doc (copy).txt"));
    callbacks.replaceAnswers = {CollisionAnswer::Yes};
    EXPECT_THAT(Run(FileOpKind::Link, {source}, target).names, ElementsAre("doc.txt"));

    EXPECT_EQ(RealFileSystem().ReadLink(target + "/doc (copy).txt").ValueOr({}), source);
    EXPECT_EQ(RealFileSystem().ReadLink(target + "/doc.txt").ValueOr({}), source);
    EXPECT_THAT(Names(target), ElementsAre("doc (copy).txt", "doc.txt"));
}

} // namespace
} // namespace bivora
