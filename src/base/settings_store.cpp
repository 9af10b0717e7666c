#include "base/settings_store.h"

#include <charconv>

namespace bivora {

std::int32_t SettingsStore::GetInt(std::string_view section, std::string_view name, std::int32_t fallback) const
{
    return ReadInt(section, name).value_or(fallback);
}

std::string SettingsStore::GetString(std::string_view section, std::string_view name, std::string_view fallback) const
{
    if (auto value = ReadString(section, name))
        return *value;
    return std::string(fallback);
}

std::optional<std::int32_t> ParseInt32(std::string_view text)
{
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

const MemorySettingsStore::Value* MemorySettingsStore::Find(std::string_view section, std::string_view name) const
{
    auto it = m_values.find(std::pair<std::string, std::string>(section, name));
    return it == m_values.end() ? nullptr : &it->second;
}

std::optional<std::int32_t> MemorySettingsStore::ReadInt(std::string_view section, std::string_view name) const
{
    const Value* value = Find(section, name);
    if (!value)
        return std::nullopt;
    if (auto number = std::get_if<std::int32_t>(value))
        return *number;
    // A hand-edited text that holds a whole number reads as that number, as in the INI file.
    if (auto text = std::get_if<std::string>(value))
        return ParseInt32(*text);
    return std::nullopt;
}

std::optional<std::string> MemorySettingsStore::ReadString(std::string_view section, std::string_view name) const
{
    const Value* value = Find(section, name);
    if (!value)
        return std::nullopt;
    if (auto text = std::get_if<std::string>(value))
        return *text;
    if (auto number = std::get_if<std::int32_t>(value))
        return std::to_string(*number);
    return std::nullopt;
}

std::optional<ByteBlock> MemorySettingsStore::ReadBinary(std::string_view section, std::string_view name) const
{
    const Value* value = Find(section, name);
    if (!value)
        return std::nullopt;
    if (auto block = std::get_if<ByteBlock>(value))
        return *block;
    return std::nullopt;
}

void MemorySettingsStore::Put(std::string_view section, std::string_view name, Value value)
{
    m_writes.push_back({std::string(section), std::string(name), value});
    m_values[{std::string(section), std::string(name)}] = std::move(value);
}

void MemorySettingsStore::WriteInt(std::string_view section, std::string_view name, std::int32_t value)
{
    Put(section, name, value);
}

void MemorySettingsStore::WriteString(std::string_view section, std::string_view name, std::string_view value)
{
    Put(section, name, std::string(value));
}

void MemorySettingsStore::WriteBinary(std::string_view section, std::string_view name, const ByteBlock& value)
{
    Put(section, name, value);
}

bool MemorySettingsStore::Contains(std::string_view section, std::string_view name) const
{
    return Find(section, name) != nullptr;
}

} // namespace bivora
