#include "ui/platform/qsettings_store.h"

#include "base/registry_keys.h"
#include "ui/platform/ini_codec.h"

#include <QFile>
#include <QIODevice>
#include <QSettings>

namespace bivora {

namespace {

bool ReadIni(QIODevice& device, QSettings::SettingsMap& map)
{
    map = ini::Parse(device.readAll());
    return true;
}

bool WriteIni(QIODevice& device, const QSettings::SettingsMap& map)
{
    const QByteArray text = ini::Format(map);
    return device.write(text) == text.size();
}

QSettings::Format IniFileFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("conf"), ReadIni, WriteIni, Qt::CaseSensitive);
    return format;
}

QByteArray ToBytes(std::string_view text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }

std::string FromBytes(const QByteArray& bytes) { return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())); }

} // namespace

QSettingsStore::QSettingsStore(const std::string& filePath)
    : m_settings(std::make_unique<QSettings>(QFile::decodeName(ToBytes(filePath)), IniFileFormat()))
{
}

QSettingsStore::~QSettingsStore()
{
    m_settings->sync();
}

std::string QSettingsStore::PathForKey(std::string_view configHome, std::string_view applicationKey)
{
    std::string path(configHome);
    if (path.empty() || path.back() != '/')
        path += '/';
    path += registry::kCompanyKey;
    path += '/';
    for (char c : applicationKey) {
        if (c == '%')
            path += "%25";
        else if (c == '/')
            path += "%2F";
        else
            path += c;
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
    const QVariant value = m_settings->value(ini::Key(section, name));
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return FromBytes(value.toByteArray());
}

std::optional<ByteBlock> QSettingsStore::ReadBinary(std::string_view section, std::string_view name) const
{
    const QVariant value = m_settings->value(ini::Key(section, name));
    if (value.metaType() != QMetaType::fromType<IniBinary>())
        return std::nullopt;
    const QByteArray bytes = value.value<IniBinary>().bytes;
    return ByteBlock(bytes.begin(), bytes.end());
}

void QSettingsStore::WriteInt(std::string_view section, std::string_view name, std::int32_t value)
{
    m_settings->setValue(ini::Key(section, name), QByteArray::number(value));
}

void QSettingsStore::WriteString(std::string_view section, std::string_view name, std::string_view value)
{
    m_settings->setValue(ini::Key(section, name), ToBytes(value));
}

void QSettingsStore::WriteBinary(std::string_view section, std::string_view name, const ByteBlock& value)
{
    const QByteArray bytes(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size()));
    m_settings->setValue(ini::Key(section, name), QVariant::fromValue(IniBinary{bytes}));
}

void QSettingsStore::Flush()
{
    m_settings->sync();
}

bool QSettingsStore::Ok() const
{
    return m_settings->status() == QSettings::NoError;
}

} // namespace bivora
