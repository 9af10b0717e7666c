#include "ui/platform/qsettings_store.h"

#include "base/registry_keys.h"
#include "shell/settings_file.h"

#include <QDebug>

namespace bivora {

namespace {

QByteArray ToBytes(std::string_view text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }

std::string FromBytes(const QByteArray& bytes) { return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())); }

void AppendPercentEscape(std::string& out, unsigned char c)
{
    constexpr char kHexDigits[] = "0123456789ABCDEF";
    out += '%';
    out += kHexDigits[c >> 4];
    out += kHexDigits[c & 0x0F];
}

} // namespace

QSettingsStore::QSettingsStore(std::string filePath, Report report)
    : m_path(std::move(filePath))
    , m_report(std::move(report))
{
    std::string text;
    const SettingsFileResult read = ReadSettingsFile(m_path, text);
    if (read.Ok())
        m_values = ini::Parse(ToBytes(text));
    else if (read.outcome != SettingsFileResult::Outcome::Missing)
        LeaveAlone(read.target, read.problem); // a file that could not be read must not be replaced either
}

QSettingsStore::~QSettingsStore()
{
    Flush();
}

void QSettingsStore::LeaveAlone(const std::string& target, const std::string& problem)
{
    m_ok = false;
    if (m_leftAlone)
        return;
    m_leftAlone = true;
    Say("The settings are neither read nor saved in this run: " + target + " " + problem + ".");
}

void QSettingsStore::Say(const std::string& message)
{
    if (m_said)
        return;
    m_said = true;
    if (m_report)
        m_report(message);
    else
        qWarning().noquote() << QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
}

std::string QSettingsStore::PathForKey(std::string_view configHome, std::string_view applicationKey)
{
    std::string path(configHome);
    if (path.empty() || path.back() != '/')
        path += '/';
    path += registry::kCompanyKey;
    path += '/';
    const QByteArray key = ToBytes(applicationKey);
    for (qsizetype i = 0; i < key.size(); ++i) {
        const auto c = static_cast<unsigned char>(key[i]);
        if (c == '%' || c == '/' || c < 0x20 || c == 0x7F) {
            AppendPercentEscape(path, c);
        } else if (c >= 0x80) {
            const qsizetype length = ini::Utf8SequenceLength(key, i);
            if (length == 0) {
                AppendPercentEscape(path, c);
            } else {
                path.append(key.constData() + i, static_cast<std::size_t>(length));
                i += length - 1;
            }
        } else {
            path += static_cast<char>(c);
        }
    }
    path += ".conf";
    return path;
}

std::optional<std::int32_t> QSettingsStore::ReadInt(std::string_view section, std::string_view name) const
{
    if (auto text = ReadString(section, name))
        return ParseInt32(*text);
    return std::nullopt;
}

std::optional<std::string> QSettingsStore::ReadString(std::string_view section, std::string_view name) const
{
    const QVariant value = m_values.value(ini::Key(section, name));
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return FromBytes(value.toByteArray());
}

std::optional<ByteBlock> QSettingsStore::ReadBinary(std::string_view section, std::string_view name) const
{
    const QVariant value = m_values.value(ini::Key(section, name));
    if (value.metaType() != QMetaType::fromType<IniBinary>())
        return std::nullopt;
    const QByteArray bytes = value.value<IniBinary>().bytes;
    return ByteBlock(bytes.begin(), bytes.end());
}

void QSettingsStore::WriteInt(std::string_view section, std::string_view name, std::int32_t value)
{
    WriteString(section, name, std::to_string(value));
}

void QSettingsStore::WriteString(std::string_view section, std::string_view name, std::string_view value)
{
    const QString key = ini::Key(section, name);
    m_values.insert(key, ToBytes(value));
    m_changes.insert(key, ToBytes(value));
}

void QSettingsStore::WriteBinary(std::string_view section, std::string_view name, const ByteBlock& value)
{
    const QByteArray bytes(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size()));
    const QString key = ini::Key(section, name);
    m_values.insert(key, QVariant::fromValue(IniBinary{bytes}));
    m_changes.insert(key, QVariant::fromValue(IniBinary{bytes}));
}

void QSettingsStore::Flush()
{
    if (m_leftAlone || m_changes.isEmpty())
        return;
    ini::Map merged;
    const SettingsFileResult saved = UpdateSettingsFile(m_path, [&](const std::string* current) {
        merged = current ? ini::Parse(ToBytes(*current)) : ini::Map();
        for (auto it = m_changes.cbegin(); it != m_changes.cend(); ++it)
            merged.insert(it.key(), it.value());
        const QByteArray text = ini::Format(merged);
        return FromBytes(text);
    });
    if (saved.outcome == SettingsFileResult::Outcome::Refused) {
        LeaveAlone(saved.target, saved.problem);
        return;
    }
    m_ok = saved.Ok();
    if (m_ok) {
        m_values = std::move(merged);
        m_changes.clear();
    } else {
        Say("The settings could not be saved: " + saved.target + " " + saved.problem + ".");
    }
}

} // namespace bivora
