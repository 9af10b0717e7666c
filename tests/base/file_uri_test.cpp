#include "base/file_uri.h"

#include <gtest/gtest.h>

namespace bivora {
namespace {

using Paths = std::vector<std::string>;
using namespace std::string_view_literals;

// Names that break a careless encoder: bytes that are not UTF-8, blanks, line ends,
// the URI's own delimiters and escapes that already look decoded.
const Paths kHostileNames = {
    "/home/u/plain.txt",
    std::string("/w\xff rk/n\xfe\x80"),
    "/a b/ leading and trailing ",
    "/line\nbreak/cr\rlf\r\n",
    "/100%/%41%2F%00",
    "/hash#frag/q?x=1&y",
    "/semi;colon/plus+comma,eq=at@/colon:",
    "/-leading-dash/~tilde_under.dot",
    "/\x01\x1f\x7f/tab\there",
    "/ünï/コード",
    "/",
};

TEST(FileUri, HostileNamesSurviveEveryFormat)
{
    for (const std::string& path : kHostileNames) {
        SCOPED_TRACE(testing::PrintToString(path));
        const std::string uri = FileUriFromPath(path);
        ASSERT_TRUE(uri.starts_with("file:///"));
        // nothing but unreserved characters, '/', ':' of the scheme and escapes
        EXPECT_EQ(uri.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~/%:"),
                  std::string::npos);
        EXPECT_EQ(PathFromFileUri(uri), path);
    }
    // the lists carry all of them at once, in order
    EXPECT_EQ(PathsFromUriList(UriListText(kHostileNames)), kHostileNames);
    for (const bool cut : {false, true}) {
        const std::optional<CopiedFiles> files = ParseGnomeCopiedFiles(GnomeCopiedFilesText(kHostileNames, cut));
        ASSERT_TRUE(files);
        EXPECT_EQ(files->paths, kHostileNames);
        EXPECT_EQ(files->cut, cut);
    }
    EXPECT_EQ(GnomeCopiedFilesText({"/a b"}, true), "cut\nfile:///a%20b");
    EXPECT_EQ(UriListText({"/a", "/b"}), "file:///a\r\nfile:///b\r\n");
}

TEST(FileUri, ReadsWhatOtherProgramsWriteAndRefusesTheRest)
{
    struct Case {
        std::string_view text;
        std::optional<Paths> paths; // nullopt: the whole list is refused
    };
    const Case cases[] = {
        {"file:///a/b\r\nfile:///c\r\n", Paths{"/a/b", "/c"}},
        {"# comment\nfile:///a\n\n#file:///ignored\nfile:///b", Paths{"/a", "/b"}},
        {"FILE://LocalHost/x%2fy", Paths{"/x/y"}},          // any case; an encoded slash decodes
        {"file:/short/form", Paths{"/short/form"}},
        {"file:///raw space/\xc3\xa9", Paths{"/raw space/\xc3\xa9"}}, // sloppy writers
        {"file:///a%c3%A9", Paths{"/a\xc3\xa9"}},
        {"file:///nul-ended\r\n\0"sv, Paths{"/nul-ended"}},
        {"file:///a\r\nhttp://example.com/x", std::nullopt}, // one foreign entry refuses all
        {"file://otherhost/etc/passwd", std::nullopt},
        {"file://localhost", std::nullopt},
        {"file:relative/path", std::nullopt},
        {"relative/path", std::nullopt},
        {"/absolute/but/no/scheme", std::nullopt},
        {"file:///a%2", std::nullopt},                      // broken escapes
        {"file:///a%zz", std::nullopt},
        {"file:///a%00b", std::nullopt},                    // no path holds a NUL
        {"file:///a#fragment", std::nullopt},
        {"file:///a?query", std::nullopt},
        {"file:///tab\tin", std::nullopt},
        {"", std::nullopt},                                 // no item at all
        {"# only a comment\r\n", std::nullopt},
        {"\x89PNG\r\n\x1a\n garbage", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        EXPECT_EQ(PathsFromUriList(c.text), c.paths);
    }

    // the copied-files text needs its verb line and at least one local file
    EXPECT_FALSE(ParseGnomeCopiedFiles("move\nfile:///a"));
    EXPECT_FALSE(ParseGnomeCopiedFiles("copy"));
    EXPECT_FALSE(ParseGnomeCopiedFiles("cut\nfile:///a\nhttps://x/y"));
    const std::optional<CopiedFiles> crlf = ParseGnomeCopiedFiles("cut\r\nfile:///a\r\nfile:///b\n");
    ASSERT_TRUE(crlf);
    EXPECT_TRUE(crlf->cut);
    EXPECT_EQ(crlf->paths, (Paths{"/a", "/b"}));
}

} // namespace
} // namespace bivora
