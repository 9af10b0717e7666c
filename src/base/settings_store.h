#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace bivora {

// Binary values (layouts, dock states) are byte blocks.
using ByteBlock = std::vector<std::uint8_t>;

// The program's persistent settings: sections of named values holding 32-bit
// integers, texts or byte blocks. Section names are plain phrases and may hold
// "/" ("Editor/Viewer Settings"); they are one section, never nested groups.
// A value that is missing or of another kind reads as nullopt, so each caller
// applies its own default.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual std::optional<std::int32_t> ReadInt(std::string_view section, std::string_view name) const = 0;
    virtual std::optional<std::string> ReadString(std::string_view section, std::string_view name) const = 0;
    virtual std::optional<ByteBlock> ReadBinary(std::string_view section, std::string_view name) const = 0;

    virtual void WriteInt(std::string_view section, std::string_view name, std::int32_t value) = 0;
    virtual void WriteString(std::string_view section, std::string_view name, std::string_view value) = 0;
    virtual void WriteBinary(std::string_view section, std::string_view name, const ByteBlock& value) = 0;

    // Writes what is pending to the backing medium; a no-op where there is none.
    virtual void Flush() {}

    // Convenience forms with the caller's default.
    std::int32_t GetInt(std::string_view section, std::string_view name, std::int32_t fallback) const;
    std::string GetString(std::string_view section, std::string_view name, std::string_view fallback = {}) const;
};

// Parses a whole decimal 32-bit integer (optional sign, surrounding blanks);
// nullopt for anything else, including values out of the 32-bit range.
std::optional<std::int32_t> ParseInt32(std::string_view text);

// An in-memory store for tests and for runs that must not touch the disk.
// It keeps a log of every write, in order, so callers can check what was written.
class MemorySettingsStore final : public SettingsStore {
public:
    using Value = std::variant<std::int32_t, std::string, ByteBlock>;
    struct Write {
        std::string section;
        std::string name;
        Value value;
    };

    std::optional<std::int32_t> ReadInt(std::string_view section, std::string_view name) const override;
    std::optional<std::string> ReadString(std::string_view section, std::string_view name) const override;
    std::optional<ByteBlock> ReadBinary(std::string_view section, std::string_view name) const override;

    void WriteInt(std::string_view section, std::string_view name, std::int32_t value) override;
    void WriteString(std::string_view section, std::string_view name, std::string_view value) override;
    void WriteBinary(std::string_view section, std::string_view name, const ByteBlock& value) override;

    bool Contains(std::string_view section, std::string_view name) const;
    const std::vector<Write>& Writes() const { return m_writes; }
    void ClearWriteLog() { m_writes.clear(); }
    std::size_t Size() const { return m_values.size(); }

private:
    void Put(std::string_view section, std::string_view name, Value value);
    const Value* Find(std::string_view section, std::string_view name) const;

    std::map<std::pair<std::string, std::string>, Value, std::less<>> m_values;
    std::vector<Write> m_writes;
};

} // namespace bivora
