#include "shell/file_head.h"

#include "temp_tree.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace bivora {
namespace {

TEST(FileHead, RegularFilesAreReadOthersOnlyLookedAt)
{
    test::TempTree tree;
    const std::string big(5000, 'x');
    tree.MakeFile("big", big);
    tree.MakeFile("small", "#!/bin/sh\n");
    tree.MakeFile("empty");
    tree.MakeDir("folder");
    tree.MakeLink("link", tree.Path("small"));
    tree.MakeLink("dangling", tree.Path("nothing"));
    // a FIFO without a writer: opening it for reading would wait for one
    ASSERT_EQ(::mkfifo(tree.Path("fifo").c_str(), 0600), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const std::string sockPath = tree.Path("sock");
    ASSERT_LT(sockPath.size(), sizeof address.sun_path);
    sockPath.copy(address.sun_path, sockPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    using Kind = FileHead::Kind;
    struct Case {
        const char* name;
        Kind kind;
        std::string bytes;
    };
    const Case cases[] = {
        {"big", Kind::Regular, big.substr(0, 4096)},
        {"small", Kind::Regular, "#!/bin/sh\n"},
        {"empty", Kind::Regular, ""},
        {"link", Kind::Regular, "#!/bin/sh\n"},
        {"folder", Kind::Directory, ""},
        {"fifo", Kind::Fifo, ""},
        {"sock", Kind::Socket, ""},
        {"dangling", Kind::Unreadable, ""},
        {"missing", Kind::Unreadable, ""},
    };
    for (const Case& c : cases) {
        const FileHead head = SniffFileHead(tree.Path(c.name), 4096);
        EXPECT_EQ(head.kind, c.kind) << c.name;
        EXPECT_EQ(head.bytes, c.bytes) << c.name;
    }
    EXPECT_EQ(SniffFileHead("/dev/null", 16).kind, Kind::CharDevice);
    ::close(sock);
}

} // namespace
} // namespace bivora
