#include "base/rtf_reader.h"

#include "base/hex_digit.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace bivora {

namespace {

// Deeper groups share the format of the deepest kept one: the stack stays small
// whatever the input nests.
constexpr std::size_t kMaxKeptDepth = 512;
// Longer control words are no word we know; their letters are read and dropped.
constexpr std::size_t kMaxWordLength = 32;
constexpr std::size_t kMaxColors = 4096;
constexpr int kMaxUnicodeSkip = 16;

// Windows-1252 at 0x80..0x9F; the other bytes are Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t FromCp1252(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return kCp1252High[byte - 0x80];
    return byte;
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

enum class Destination { Text, ColorTable, Skip };

struct GroupState {
    RtfFormat format;
    Destination destination = Destination::Text;
    int unicodeSkip = 1;
};

// Groups whose content is no text of the document.
bool IsSkippedDestination(std::string_view word)
{
    static constexpr std::string_view kSkipped[] = {
        "fonttbl",   "stylesheet", "info",       "pict",       "object",     "header",    "headerl",
        "headerr",   "headerf",    "footer",     "footerl",    "footerr",    "footerf",   "footnote",
        "fldinst",   "xe",         "tc",         "bkmkstart",  "bkmkend",    "listtable", "listoverridetable",
        "revtbl",    "rsidtbl",    "generator",  "themedata",  "colorschememapping", "datastore",
        "latentstyles", "filetbl", "annotation", "atnid",      "atnauthor",  "txe",       "nonshppict",
        "shppict",   "shp",        "template",   "objdata",    "pntext",     "pntxta",    "pntxtb",
        "userprops", "docvar",     "xmlnstbl",   "mmathPr",    "private",
    };
    return std::find(std::begin(kSkipped), std::end(kSkipped), word) != std::end(kSkipped);
}

class Reader {
public:
    explicit Reader(std::string_view data) : m_data(data)
    {
        m_stack.emplace_back();
        m_document.paragraphs.emplace_back();
    }

    RtfDocument Run()
    {
        while (m_pos < m_data.size()) {
            const char c = m_data[m_pos++];
            switch (c) {
            case '{':
                OpenGroup();
                break;
            case '}':
                CloseGroup();
                break;
            case '\\':
                ControlSequence();
                break;
            case '\r':
            case '\n':
                break;
            default:
                m_groupStart = false;
                if (ConsumeSkip())
                    break;
                if (State().destination == Destination::ColorTable) {
                    if (c == ';')
                        EndColor();
                } else {
                    AppendChar(FromCp1252(static_cast<unsigned char>(c)));
                }
                break;
            }
        }
        FlushText();
        auto& paragraphs = m_document.paragraphs;
        if (paragraphs.size() > 1 && paragraphs.back().runs.empty())
            paragraphs.pop_back();
        return std::move(m_document);
    }

private:
    GroupState& State() { return m_stack.back(); }

    void OpenGroup()
    {
        m_skipLeft = 0;
        if (m_stack.size() < kMaxKeptDepth)
            m_stack.push_back(m_stack.back());
        else
            ++m_unkeptDepth;
        m_groupStart = true;
    }

    void CloseGroup()
    {
        m_skipLeft = 0;
        m_groupStart = false;
        if (m_unkeptDepth > 0) {
            --m_unkeptDepth;
            return;
        }
        if (m_stack.size() > 1)
            m_stack.pop_back();
    }

    // A character that an \uN escape stands in for is dropped.
    bool ConsumeSkip()
    {
        if (m_skipLeft <= 0)
            return false;
        --m_skipLeft;
        return true;
    }

    void ControlSequence()
    {
        const bool groupStart = m_groupStart;
        m_groupStart = false;
        if (m_pos >= m_data.size())
            return;
        const char c = m_data[m_pos];
        if (!IsLetter(c)) {
            ++m_pos;
            ControlSymbol(c, groupStart);
            return;
        }
        const std::size_t start = m_pos;
        while (m_pos < m_data.size() && IsLetter(m_data[m_pos]))
            ++m_pos;
        const std::string_view word = m_data.substr(start, std::min(m_pos - start, kMaxWordLength + 1));
        bool hasParam = false;
        long long param = 0;
        bool negative = false;
        if (m_pos < m_data.size() && m_data[m_pos] == '-' && m_pos + 1 < m_data.size() && IsDigit(m_data[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        while (m_pos < m_data.size() && IsDigit(m_data[m_pos])) {
            hasParam = true;
            // saturate: a huge number is as good as the largest one
            param = std::min<long long>(param * 10 + (m_data[m_pos] - '0'), 1LL << 32);
            ++m_pos;
        }
        if (m_pos < m_data.size() && m_data[m_pos] == ' ')
            ++m_pos;
        if (negative)
            param = -param;
        if (word.size() > kMaxWordLength)
            return;
        ControlWord(word, hasParam, param, groupStart);
    }

    void ControlSymbol(char c, bool groupStart)
    {
        switch (c) {
        case '\'': {
            if (m_pos + 1 < m_data.size()) {
                const int high = HexDigitValue(m_data[m_pos]);
                const int low = HexDigitValue(m_data[m_pos + 1]);
                if (high >= 0 && low >= 0) {
                    m_pos += 2;
                    if (!ConsumeSkip())
                        Text(FromCp1252(static_cast<unsigned char>(high * 16 + low)));
                    return;
                }
            }
            // a cut-off escape stands for nothing
            m_pos = std::min(m_pos + 2, m_data.size());
            return;
        }
        case '*':
            if (groupStart)
                State().destination = Destination::Skip;
            return;
        case '\\':
        case '{':
        case '}':
            if (!ConsumeSkip())
                Text(static_cast<unsigned char>(c));
            return;
        case '~':
            if (!ConsumeSkip())
                Text(0x00A0);
            return;
        case '_':
            if (!ConsumeSkip())
                Text(0x2011);
            return;
        case '\n':
        case '\r':
            Paragraph();
            return;
        default:
            ConsumeSkip();
            return;
        }
    }

    void ControlWord(std::string_view word, bool hasParam, long long param, bool groupStart)
    {
        const bool on = !hasParam || param != 0;
        GroupState& state = State();
        const auto clamp = [&](long long low, long long high) {
            return static_cast<int>(std::clamp(param, low, high));
        };
        if (groupStart && IsSkippedDestination(word)) {
            state.destination = Destination::Skip;
            return;
        }
        if (word == "colortbl") {
            if (groupStart && state.destination != Destination::Skip) {
                state.destination = Destination::ColorTable;
                m_colorTable.clear();
                m_pendingColor = {};
            }
            return;
        }
        if (state.destination == Destination::ColorTable) {
            if (word == "red" || word == "green" || word == "blue") {
                const int shift = word == "red" ? 16 : word == "green" ? 8 : 0;
                m_pendingColor.rgb &= ~(0xFFu << shift);
                m_pendingColor.rgb |= static_cast<std::uint32_t>(clamp(0, 255)) << shift;
                m_pendingColor.set = true;
            }
            return;
        }
        if (word == "u" && hasParam) {
            UnicodeEscape(param);
            return;
        }
        if (ConsumeSkip())
            return;
        if (word == "uc") {
            state.unicodeSkip = clamp(0, kMaxUnicodeSkip);
        } else if (word == "par" || word == "sect" || word == "page" || word == "row") {
            Paragraph();
        } else if (word == "line") {
            Text(0x2028);
        } else if (word == "tab" || word == "cell") {
            Text('\t');
        } else if (word == "b") {
            state.format.bold = on;
        } else if (word == "i") {
            state.format.italic = on;
        } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "uldash"
                   || word == "ulwave" || word == "ulth") {
            state.format.underline = on;
        } else if (word == "ulnone") {
            state.format.underline = false;
        } else if (word == "plain") {
            const RtfFormat plain;
            state.format.bold = plain.bold;
            state.format.italic = plain.italic;
            state.format.underline = plain.underline;
            state.format.halfPoints = plain.halfPoints;
        } else if (word == "fs") {
            state.format.halfPoints = hasParam ? clamp(kRtfMinHalfPoints, kRtfMaxHalfPoints) : RtfFormat().halfPoints;
        } else if (word == "cf") {
            SetColor(param, state.format.hasColor, state.format.color);
        } else if (word == "highlight" || word == "cb") {
            SetColor(param, state.format.hasBackground, state.format.background);
        } else if (word == "emdash") {
            Text(0x2014);
        } else if (word == "endash") {
            Text(0x2013);
        } else if (word == "bullet") {
            Text(0x2022);
        } else if (word == "lquote") {
            Text(0x2018);
        } else if (word == "rquote") {
            Text(0x2019);
        } else if (word == "ldblquote") {
            Text(0x201C);
        } else if (word == "rdblquote") {
            Text(0x201D);
        }
    }

    void SetColor(long long index, bool& has, std::uint32_t& color)
    {
        if (index <= 0 || index >= static_cast<long long>(m_colorTable.size()) || !m_colorTable[index].set) {
            has = false;
            return;
        }
        has = true;
        color = m_colorTable[index].rgb;
    }

    void EndColor()
    {
        if (m_colorTable.size() < kMaxColors)
            m_colorTable.push_back(m_pendingColor);
        m_pendingColor = {};
    }

    void UnicodeEscape(long long value)
    {
        // The skip of an earlier escape counts this one as one character.
        if (ConsumeSkip())
            return;
        m_skipLeft = State().unicodeSkip;
        if (State().destination != Destination::Text)
            return;
        if (value < 0)
            value += 65536;
        const char32_t c = value < 0 || value > 0x10FFFF ? 0xFFFD : static_cast<char32_t>(value);
        if (c >= 0xD800 && c <= 0xDBFF) {
            FlushSurrogate();
            m_highSurrogate = c;
        } else if (c >= 0xDC00 && c <= 0xDFFF && m_highSurrogate) {
            const char32_t high = m_highSurrogate;
            m_highSurrogate = 0;
            Text(0x10000 + ((high - 0xD800) << 10) + (c - 0xDC00));
        } else {
            Text(c);
        }
    }

    void FlushSurrogate()
    {
        if (m_highSurrogate) {
            m_highSurrogate = 0;
            AppendChar(0xFFFD);
        }
    }

    // Text from an escape, in the current destination.
    void Text(char32_t c)
    {
        if (State().destination == Destination::Text)
            AppendChar(c);
    }

    void AppendChar(char32_t c)
    {
        if (State().destination != Destination::Text)
            return;
        if (m_highSurrogate && !(c >= 0xDC00 && c <= 0xDFFF))
            FlushSurrogate();
        if (!m_pending.empty() && !(m_pendingFormat == State().format))
            FlushText();
        m_pendingFormat = State().format;
        AppendUtf8(m_pending, c);
    }

    void FlushText()
    {
        FlushSurrogate();
        if (m_pending.empty())
            return;
        auto& runs = m_document.paragraphs.back().runs;
        if (!runs.empty() && runs.back().format == m_pendingFormat)
            runs.back().text += m_pending;
        else
            runs.push_back({std::move(m_pending), m_pendingFormat});
        m_pending.clear();
    }

    void Paragraph()
    {
        if (State().destination != Destination::Text)
            return;
        FlushText();
        m_document.paragraphs.emplace_back();
    }

    struct Color {
        std::uint32_t rgb = 0;
        bool set = false;
    };

    std::string_view m_data;
    std::size_t m_pos = 0;
    std::vector<GroupState> m_stack;
    std::size_t m_unkeptDepth = 0;
    bool m_groupStart = false;
    int m_skipLeft = 0;
    char32_t m_highSurrogate = 0;
    std::vector<Color> m_colorTable;
    Color m_pendingColor;
    std::string m_pending;
    RtfFormat m_pendingFormat;
    RtfDocument m_document;
};

} // namespace

bool LooksLikeRtf(std::string_view data)
{
    return data.starts_with("{\\rtf");
}

RtfDocument ReadRtf(std::string_view data)
{
    return Reader(data).Run();
}

std::string RtfPlainText(const RtfDocument& document)
{
    std::string text;
    for (std::size_t i = 0; i < document.paragraphs.size(); ++i) {
        if (i > 0)
            text += '\n';
        for (const RtfRun& run : document.paragraphs[i].runs)
            text += run.text;
    }
    return text;
}

} // namespace bivora
