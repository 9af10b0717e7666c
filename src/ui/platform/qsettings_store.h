#pragma once

#include "base/settings_store.h"
#include "ui/platform/ini_codec.h"

#include <functional>
#include <string>
#include <string_view>

namespace bivora {

// The settings store of the program: its INI file (ini_codec.h) held in memory, read
// when the store opens and written back on Flush. The file is read and replaced
// through shell/settings_file.h: a link is followed to a regular file of the user in
// a folder of the user, and anything else is left alone for the whole run, which then
// starts from the defaults and keeps its changes in memory only; the store says so
// once through its report. A save merges this run's changes into the file as it is
// then, so two runs with one key keep each other's values.
// The own INI form keeps bytes that are not UTF-8 in names and values, keeps "/" in
// a section name as part of one section, and turns no hand-edited text into a
// data-stream read. Integers are stored as decimal text; reading a value of another
// kind, or one that does not decode, gives nullopt.
class QSettingsStore final : public SettingsStore {
public:
    // Says, in words, that the file is left alone or could not be saved; called at
    // most once per store.
    using Report = std::function<void(const std::string& message)>;

    // Without a report the message goes to the program's warning output (stderr).
    explicit QSettingsStore(std::string filePath, Report report = {});
    ~QSettingsStore() override; // writes what is pending

    QSettingsStore(const QSettingsStore&) = delete;
    QSettingsStore& operator=(const QSettingsStore&) = delete;

    // configHome/Quellmoor Plc/<key>.conf. The key is taken byte for byte; "/", "%",
    // control characters and bytes that are not UTF-8 are written %XX, so that every
    // key names one file of its own in that folder.
    static std::string PathForKey(std::string_view configHome, std::string_view applicationKey);

    std::optional<std::int32_t> ReadInt(std::string_view section, std::string_view name) const override;
    std::optional<std::string> ReadString(std::string_view section, std::string_view name) const override;
    std::optional<ByteBlock> ReadBinary(std::string_view section, std::string_view name) const override;

    void WriteInt(std::string_view section, std::string_view name, std::int32_t value) override;
    void WriteString(std::string_view section, std::string_view name, std::string_view value) override;
    void WriteBinary(std::string_view section, std::string_view name, const ByteBlock& value) override;

    void Flush() override;

    // Whether the last flush reached the file (false while the file is left alone).
    bool Ok() const { return m_ok; }
    // Whether the file is neither read nor written in this run.
    bool LeftAlone() const { return m_leftAlone; }

private:
    void LeaveAlone(const std::string& target, const std::string& problem);
    void Say(const std::string& message);

    std::string m_path;
    Report m_report;
    ini::Map m_values;
    ini::Map m_changes; // written since the last save
    bool m_leftAlone = false;
    bool m_ok = true;
    bool m_said = false;
};

} // namespace bivora
