#pragma once

#include "base/settings_store.h"

#include <memory>
#include <string>
#include <string_view>

class QSettings;

namespace bivora {

// The settings store on an INI file through QSettings (which gives the file
// locking and the atomic save). The file's text is the program's own INI form
// (ini_codec.h): QSettings' built-in one splits unquoted commas into lists, cannot
// keep bytes that are not UTF-8, treats "/" in a section name as nesting, and turns
// a hand-edited "@Variant(...)" into a data-stream read that may ask for gigabytes.
// Integers are stored as decimal text; reading a value of another kind, or one that
// does not decode, gives nullopt.
class QSettingsStore final : public SettingsStore {
public:
    explicit QSettingsStore(const std::string& filePath);
    ~QSettingsStore() override; // writes what is pending

    QSettingsStore(const QSettingsStore&) = delete;
    QSettingsStore& operator=(const QSettingsStore&) = delete;

    // configHome/Quellmoor Plc/<key>.conf; a "/" or "%" in the key is escaped (%2F,
    // %25) so that every key names one file in that folder.
    static std::string PathForKey(std::string_view configHome, std::string_view applicationKey);

    std::optional<std::int32_t> ReadInt(std::string_view section, std::string_view name) const override;
    std::optional<std::string> ReadString(std::string_view section, std::string_view name) const override;
    std::optional<ByteBlock> ReadBinary(std::string_view section, std::string_view name) const override;

    void WriteInt(std::string_view section, std::string_view name, std::int32_t value) override;
    void WriteString(std::string_view section, std::string_view name, std::string_view value) override;
    void WriteBinary(std::string_view section, std::string_view name, const ByteBlock& value) override;

    void Flush() override;

    // Whether the last flush reached the file.
    bool Ok() const;

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace bivora
