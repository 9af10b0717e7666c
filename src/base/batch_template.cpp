#include "base/batch_template.h"

#include "base/command_text.h"

namespace bivora {

namespace {

enum class Quote { None, Single, Double };

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Blanks and the operators end a word; a "#" after one of them begins a comment.
bool EndsWord(char c)
{
    return std::string_view(" \t;&|()<>").find(c) != std::string_view::npos;
}

// The counter code's digits plus the counter, in decimal, keeping the digits' width
// (their leading zeros) and growing past it; any length, no overflow.
std::string CounterText(std::string digits, std::int64_t counter)
{
    auto carry = static_cast<std::uint64_t>(counter);
    for (std::size_t i = digits.size(); i > 0 && carry != 0; --i) {
        const std::uint64_t sum = static_cast<std::uint64_t>(digits[i - 1] - '0') + carry;
        digits[i - 1] = static_cast<char>('0' + sum % 10);
        carry = sum / 10;
    }
    std::string front;
    for (; carry != 0; carry /= 10)
        front.insert(front.begin(), static_cast<char>('0' + carry % 10));
    return front + digits;
}

// value as it must be written where the line stands so the shell reads its bytes.
void AppendValue(std::string& out, std::string_view value, Quote quote, bool comment)
{
    if (comment) {
        for (const char c : value)
            out.push_back(c == '\n' ? '?' : c);
        return;
    }
    switch (quote) {
    case Quote::None: {
        std::string word = ShellQuoted(value);
        // NAME=value as a command's first word is an assignment, not a word
        if (word.size() == value.size() && value.find('=') != std::string_view::npos)
            word = "'" + word + "'";
        out += word;
        break;
    }
    case Quote::Single:
        for (const char c : value)
            out += c == '\'' ? std::string_view("'\\''") : std::string_view(&c, 1);
        break;
    case Quote::Double:
        for (const char c : value) {
            if (c == '\\' || c == '"' || c == '$' || c == '`')
                out.push_back('\\');
            out.push_back(c);
        }
        break;
    }
}

} // namespace

bool BatchTemplate::Parse(std::string_view text)
{
    m_counter = -1;
    return m_entries.Parse(text);
}

void BatchTemplate::SetPaneFolders(std::string left, std::string right)
{
    m_left = std::move(left);
    m_right = std::move(right);
}

std::optional<std::string> BatchTemplate::ValueOf(char code, std::string_view name) const
{
    const std::size_t dot = name.rfind('.');
    switch (code) {
    case 'N': return std::string(name);
    case 'B': return std::string(name.substr(0, dot));
    case 'E': return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
    case 'L': return m_left;
    case 'R': return m_right;
    default: return std::nullopt;
    }
}

void BatchTemplate::AppendItem(std::string_view name, std::string& script)
{
    ++m_counter;
    for (std::size_t index = 0; index < m_entries.Count(); ++index) {
        const std::string_view line = m_entries.Pattern(index).text;
        Quote quote = Quote::None;
        bool comment = false;
        bool wordStart = true;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            const bool more = i + 1 < line.size();
            if (c == '$' && more) {
                const char code = line[i + 1];
                if (IsDigit(code)) {
                    std::size_t end = i + 1;
                    while (end < line.size() && IsDigit(line[end]))
                        ++end;
                    script += CounterText(std::string(line.substr(i + 1, end - i - 1)), m_counter);
                    i = end - 1;
                    wordStart = false;
                    continue;
                }
                const std::optional<std::string> value = ValueOf(code, name);
                if (value && !value->empty()) {
                    AppendValue(script, *value, quote, comment);
                    ++i;
                    wordStart = false;
                    continue;
                }
            }
            script.push_back(c);
            if (comment)
                continue;
            if (c == '\\' && quote != Quote::Single && more) {
                // the escaped character is the shell's: "\$N" stays as it is
                script.push_back(line[++i]);
                wordStart = false;
                continue;
            }
            if (c == '\'' && quote != Quote::Double)
                quote = quote == Quote::Single ? Quote::None : Quote::Single;
            else if (c == '"' && quote != Quote::Single)
                quote = quote == Quote::Double ? Quote::None : Quote::Double;
            else if (c == '#' && quote == Quote::None && wordStart)
                comment = true;
            wordStart = quote == Quote::None && EndsWord(c);
        }
        script.push_back('\n');
    }
}

} // namespace bivora
