#include "base/rtf_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

namespace bivora {
namespace {

// A document as one line: paragraphs joined by '|', each run as its text, preceded by
// its format in brackets when it is not the plain one: b i u, sN (half points),
// cRRGGBB, hRRGGBB.
std::string Describe(const RtfDocument& document)
{
    std::string out;
    for (std::size_t p = 0; p < document.paragraphs.size(); ++p) {
        if (p > 0)
            out += '|';
        for (const RtfRun& run : document.paragraphs[p].runs) {
            const RtfFormat& f = run.format;
            std::string format;
            if (f.bold)
                format += 'b';
            if (f.italic)
                format += 'i';
            if (f.underline)
                format += 'u';
            if (f.halfPoints != RtfFormat().halfPoints)
                format += 's' + std::to_string(f.halfPoints);
            char color[16];
            if (f.hasColor) {
                std::snprintf(color, sizeof color, "c%06X", f.color);
                format += color;
            }
            if (f.hasBackground) {
                std::snprintf(color, sizeof color, "h%06X", f.background);
                format += color;
            }
            if (!format.empty())
                out += '[' + format + ']';
            out += run.text;
        }
    }
    return out;
}

TEST(RtfReader, ReadsTextParagraphsAndFormats)
{
    const struct {
        const char* rtf;
        const char* expected;
    } rows[] = {
        {R"({\rtf1\ansi Hello world\par})", "Hello world"},
        {R"({\rtf1 one\par two\par\par three})", "one|two||three"},
        {R"({\rtf1 a\line b})", "a\u2028b"},
        {R"({\rtf1 plain {\b bold} \i italic\i0  \ul under\ulnone  end})",
         "plain [b]bold [i]italic [u]under end"},
        {R"({\rtf1 \b0 x\b1 y\b0 z})", "x[b]yz"},
        {R"({\rtf1 {\b\i\ul all}\plain  none})", "[biu]all none"},
        {R"({\rtf1 \fs40 big\fs0 tiny\fs99999999999999 huge\fs normal})", "[s40]big[s2]tiny[s3276]hugenormal"},
        {R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green128\blue255;}\cf1 red\cf2 blue\cf0 auto\cf7 none})",
         "[cFF0000]red[c0080FF]blueautonone"},
        {R"({\rtf1{\colortbl;\red1\green2\blue3;}\highlight1 marked\cb0  not})", "[h010203]marked not"},
        {R"({\rtf1 caf\'e9 \'80 \'9f})", "caf\u00e9 \u20ac \u0178"},
        {R"({\rtf1 \u8364? \uc2\u20320??x \uc0\u22909 y})", "\u20ac \u4f60x \u597dy"},
        {R"({\rtf1 \u-10179?\u-8704? \u55357?z})", "\U0001F600 \uFFFDz"},
        {R"({\rtf1 \{braces\} back\\slash\~nb \emdash\endash\bullet\ldblquote q\rdblquote})",
         "{braces} back\\slash\u00a0nb \u2014\u2013\u2022\u201cq\u201d"},
        {R"({\rtf1{\fonttbl{\f0 Arial;}{\f1 Courier;}}{\stylesheet{\s0 Normal;}}{\info{\title T}})"
         R"({\*\generator Writer;}{\*\unknown{nested text}}{\pict 0123abcd}shown})",
         "shown"},
        {R"({\rtf1 {\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}}})", "link"},
        {R"({\rtf1 \unknownword keep \x12 text \thisisaverylongcontrolwordthatgoesonandon kept})",
         "keep text kept"},
        // cut off in the middle of things
        {R"({\rtf1 ab\'4)", "ab"},
        {R"({\rtf1 ab\)", "ab"},
        {R"({\rtf1 {\b ab)", "[b]ab"},
        {R"(}}}{\rtf1 x}}})", "x"},
        {"no rich text at all", "no rich text at all"},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Describe(ReadRtf(row.rtf)), row.expected) << row.rtf;
}

TEST(RtfReader, DeepNestingHugeTablesAndLongNumbersStayBounded)
{
    // 100,000 open groups, text inside, then the closing braces: the format of the
    // deepest groups is their kept parent's, and the text after them is plain again.
    std::string deep = R"({\rtf1 {\b )";
    deep += std::string(100000, '{') + "inner" + std::string(100000, '}') + "} after}";
    EXPECT_EQ(Describe(ReadRtf(deep)), "[b]inner after");

    std::string fonts = R"({\rtf1{\fonttbl)";
    for (int i = 0; i < 50000; ++i)
        fonts += "{\\f" + std::to_string(i) + "\\fswiss Face " + std::to_string(i) + ";}";
    fonts += "}body}";
    EXPECT_EQ(Describe(ReadRtf(fonts)), "body");

    std::string colors = R"({\rtf1{\colortbl;)";
    for (int i = 0; i < 20000; ++i)
        colors += "\\red1\\green2\\blue3;";
    colors += "}\\cf19999 far \\cf3 near}";
    EXPECT_EQ(Describe(ReadRtf(colors)), "far [c010203]near");

    const std::string digits(100000, '9');
    EXPECT_EQ(Describe(ReadRtf("{\\rtf1 \\uc" + digits + " \\uc1\\u" + digits + "?x\\fs-" + digits + " y}")),
              "\uFFFDx[s2]y");
}

// Random bytes and mutated documents: reading returns, and what it returns keeps the
// document's promises.
TEST(RtfReader, FuzzedInputGivesWellFormedDocuments)
{
    const std::string seeds[] = {
        R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}{\colortbl;\red255\green0\blue0;}\f0\fs24 )"
        R"(Hello {\b bold \i both} \cf1 red\cf0 \u8364?\'e9\par next\line \uc2\u20320??{\*\x y}})",
        R"({\rtf1 {\field{\*\fldinst X}{\fldrslt Y}}\highlight1 \ul u\ulnone\tab\emdash})",
    };
    const std::string alphabet = "{}\\'*;?0123456789abuflinprsc- \n\xe9\x80";
    std::mt19937 random(12345);
    const auto check = [](const std::string& input) {
        const RtfDocument document = ReadRtf(input);
        ASSERT_FALSE(document.paragraphs.empty());
        ASSERT_LE(document.paragraphs.size(), input.size() + 1);
        std::size_t bytes = 0;
        for (const RtfParagraph& paragraph : document.paragraphs) {
            for (std::size_t r = 0; r < paragraph.runs.size(); ++r) {
                const RtfRun& run = paragraph.runs[r];
                ASSERT_FALSE(run.text.empty());
                if (r > 0) {
                    ASSERT_FALSE(run.format == paragraph.runs[r - 1].format);
                }
                ASSERT_GE(run.format.halfPoints, kRtfMinHalfPoints);
                ASSERT_LE(run.format.halfPoints, kRtfMaxHalfPoints);
                ASSERT_TRUE(run.format.color <= 0xFFFFFF && run.format.background <= 0xFFFFFF);
                bytes += run.text.size();
                // valid UTF-8: every lead byte has its continuation bytes
                for (std::size_t i = 0; i < run.text.size();) {
                    const auto lead = static_cast<unsigned char>(run.text[i]);
                    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
                    ASSERT_NE(length, 0u) << input;
                    ASSERT_LE(i + length, run.text.size()) << input;
                    for (std::size_t k = 1; k < length; ++k)
                        ASSERT_EQ(static_cast<unsigned char>(run.text[i + k]) & 0xC0, 0x80) << input;
                    i += length;
                }
            }
        }
        ASSERT_LE(bytes, 3 * input.size());
    };
    for (int iteration = 0; iteration < 3000; ++iteration) {
        std::string input;
        if (iteration % 2 == 0) {
            const std::size_t length = random() % 200;
            for (std::size_t i = 0; i < length; ++i)
                input += iteration % 4 == 0 ? static_cast<char>(random() & 0xFF) : alphabet[random() % alphabet.size()];
        } else {
            input = seeds[iteration / 2 % 2];
            for (int edits = 1 + random() % 8; edits > 0; --edits) {
                const std::size_t at = random() % (input.size() + 1);
                switch (random() % 3) {
                case 0:
                    input.insert(at, 1, alphabet[random() % alphabet.size()]);
                    break;
                case 1:
                    if (at < input.size())
                        input.erase(at, 1 + random() % 5);
                    break;
                default:
                    input.resize(at);
                    break;
                }
            }
        }
        check(input);
        if (HasFatalFailure())
            return;
    }
}

} // namespace
} // namespace bivora
