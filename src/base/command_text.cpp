#include "base/command_text.h"

namespace bivora {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

std::string_view WithoutLeadingBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

// Characters that no POSIX shell treats specially anywhere in a word.
bool NeedsNoQuoting(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || std::string_view("_@%+=:,./-").find(c) != std::string_view::npos;
}

// Between double quotes only \ " $ ` keep a meaning; a backslash takes it away.
std::string InDoubleQuotes(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == '"' || c == '$' || c == '`')
            out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

// Between single quotes nothing is special but the closing quote: ' ends the quoted
// part, \' adds the quote and ' opens a new part.
std::string InSingleQuotes(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    return out;
}

} // namespace

std::optional<TypedCommand> TypedCommandOf(std::string_view editText)
{
    const std::string_view typed = WithoutLeadingBlanks(editText);
    if (typed.empty() || (typed.front() != '>' && typed.front() != '$'))
        return std::nullopt;
    TypedCommand command;
    command.inTerminal = typed.front() == '$';
    command.text = std::string(WithoutLeadingBlanks(typed.substr(1)));
    command.asTyped = std::string(typed);
    return command;
}

std::string ShellQuoted(std::string_view word)
{
    bool plain = !word.empty();
    for (const char c : word)
        plain = plain && NeedsNoQuoting(c);
    if (plain)
        return std::string(word);
    return "'" + InSingleQuotes(word) + "'";
}

std::string InsertPaneFolders(std::string_view commandLine, std::string_view left, std::string_view right)
{
    enum class Quote { None, Single, Double } quote = Quote::None;
    std::string out;
    out.reserve(commandLine.size());
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (c == '\\' && quote != Quote::Single && i + 1 < commandLine.size()) {
            out.push_back(c);
            out.push_back(commandLine[++i]);
            continue;
        }
        if (c == '$' && i + 1 < commandLine.size() && (commandLine[i + 1] == 'L' || commandLine[i + 1] == 'R')) {
            const std::string_view folder = commandLine[++i] == 'L' ? left : right;
            switch (quote) {
            case Quote::None: out += ShellQuoted(folder); break;
            case Quote::Double: out += InDoubleQuotes(folder); break;
            case Quote::Single: out += InSingleQuotes(folder); break;
            }
            continue;
        }
        if (c == '\'' && quote != Quote::Double)
            quote = quote == Quote::Single ? Quote::None : Quote::Single;
        else if (c == '"' && quote != Quote::Single)
            quote = quote == Quote::Double ? Quote::None : Quote::Double;
        out.push_back(c);
    }
    return out;
}

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false; // also true for a word of two quotes alone: '' is an empty argument
    std::size_t i = 0;
    const auto next = [&]() -> std::optional<char> {
        if (i >= text.size())
            return std::nullopt;
        return text[i++];
    };
    while (const auto c = next()) {
        if (*c == '\0')
            return std::nullopt;
        if (IsBlank(*c)) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else if (*c == '\\') {
            const auto escaped = next();
            if (!escaped || *escaped == '\0')
                return std::nullopt;
            if (*escaped != '\n') { // a backslash before a line end joins the lines
                word.push_back(*escaped);
                inWord = true;
            }
        } else if (*c == '\'') {
            inWord = true;
            for (;;) {
                const auto q = next();
                if (!q || *q == '\0')
                    return std::nullopt;
                if (*q == '\'')
                    break;
                word.push_back(*q);
            }
        } else if (*c == '"') {
            inWord = true;
            for (;;) {
                const auto q = next();
                if (!q || *q == '\0')
                    return std::nullopt;
                if (*q == '"')
                    break;
                if (*q == '\\' && i < text.size()) {
                    const char after = text[i];
                    if (after == '\\' || after == '"' || after == '$' || after == '`') {
                        word.push_back(after);
                        ++i;
                        continue;
                    }
                    if (after == '\n') {
                        ++i;
                        continue;
                    }
                }
                word.push_back(*q);
            }
        } else {
            word.push_back(*c);
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

std::optional<std::vector<std::string>> ProgramCommand(std::string_view preamble, std::string_view text,
                                                       std::string_view left, std::string_view right)
{
    std::string line(preamble);
    line.append(text);
    auto words = SplitCommandLine(InsertPaneFolders(line, left, right));
    if (!words || words->empty() || words->front().empty())
        return std::nullopt;
    return words;
}

std::optional<std::string> TerminalCommandText(std::string_view text, std::string_view left, std::string_view right)
{
    std::string line = InsertPaneFolders(text, left, right);
    if (!SplitCommandLine(line))
        return std::nullopt;
    return line;
}

} // namespace bivora
