#include "base/rtf_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace bivora {
namespace {

std::string ReadHelp(const char* name)
{
    std::ifstream in(std::string(BIVORA_HELP_SOURCE_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The features page is rich text the program's own reader understands entirely: no
// control word or brace comes through as text, and its headings come out bold.
TEST(HelpText, FeaturesPageReadsAsFormattedText)
{
    const std::string rtf = ReadHelp("Torvenal.rtf");
    ASSERT_TRUE(LooksLikeRtf(rtf));
    const RtfDocument document = ReadRtf(rtf);
    const std::string text = RtfPlainText(document);
    EXPECT_EQ(text.find_first_of("\\{}"), std::string::npos) << text;
    EXPECT_EQ(text.find("Sans"), std::string::npos); // the font table stays out
    ASSERT_GT(document.paragraphs.size(), 10u);
    ASSERT_FALSE(document.paragraphs[0].runs.empty());
    EXPECT_EQ(document.paragraphs[0].runs[0].text, "Bivora");
    EXPECT_TRUE(document.paragraphs[0].runs[0].format.bold);
    for (const char* name : {"Newest.txt", "faq.txt", "Licence.txt"})
        EXPECT_FALSE(ReadHelp(name).empty()) << name;
}

} // namespace
} // namespace bivora
