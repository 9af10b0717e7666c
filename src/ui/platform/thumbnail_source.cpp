#include "ui/platform/thumbnail_source.h"

#include <QCryptographicHash>
#include <QFile>
#include <QImageReader>

#include <glib.h>

#include <algorithm>
#include <optional>

namespace bivora {

namespace {

// The size an image of that size is read at: its own when it fits, else scaled down
// into the wanted box keeping its aspect ratio.
QSize ReadSize(QSize image, QSize wanted)
{
    if (!wanted.isValid() || wanted.isEmpty())
        return image;
    if (image.width() <= wanted.width() && image.height() <= wanted.height())
        return image;
    return image.scaled(wanted, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// A JPEG that ends before its end-of-image mark decodes with grey where the data is
// missing; such a picture is not shown. Data after the mark (some cameras add it) is
// allowed, as long as the mark is near the end.
bool JpegIsComplete(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 kTail = 4096;
    const qint64 size = file.size();
    if (size < 4 || !file.seek(std::max<qint64>(0, size - kTail)))
        return false;
    return file.readAll().contains(QByteArrayLiteral("\xFF\xD9"));
}

QImage ReadImage(const QString& name, QSize wanted, const std::atomic<bool>& stop)
{
    QImageReader reader(name);
    reader.setAutoTransform(true);
    // a thumbnail needs no exact inverse DCT nor smooth upsampling: the JPEG reader goes faster
    reader.setQuality(49);
    if (!reader.canRead())
        return {};
    const QSize size = reader.size();
    // a header may claim any size: refuse before the decoder allocates for it
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxThumbnailSourcePixels)
        return {};
    if (stop.load())
        return {};
    if (size.isValid())
        reader.setScaledSize(ReadSize(size, wanted));
    const bool jpeg = reader.format() == "jpeg";
    QImage image = reader.read();
    if (image.isNull() || (jpeg && !JpegIsComplete(name)))
        return {};
    if (!size.isValid() && wanted.isValid())
        image = image.scaled(ReadSize(image.size(), wanted), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

// The text of a tEXt chunk of a PNG before its image data; the image reader cannot
// give it, as it takes the key's "::" for a separator.
std::optional<QByteArray> PngText(const QByteArray& png, QByteArrayView key)
{
    qsizetype at = 8; // the signature
    while (at + 12 <= png.size()) {
        const auto* p = reinterpret_cast<const uchar*>(png.constData() + at);
        const quint32 length = quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
        const QByteArrayView type(png.constData() + at + 4, 4);
        if (length > quint32(png.size() - at - 12) || type == "IDAT")
            break;
        if (type == "tEXt") {
            const QByteArrayView data(png.constData() + at + 8, length);
            const qsizetype nul = data.indexOf('\0');
            if (nul >= 0 && data.first(nul) == key)
                return data.sliced(nul + 1).toByteArray();
        }
        at += 12 + qsizetype(length);
    }
    return std::nullopt;
}

// An entry of the desktop's thumbnail cache made from the file's present version.
QImage CachedThumbnail(const ThumbnailRequest& request)
{
    if (request.cacheDir.isEmpty())
        return {};
    const QString name = ThumbnailCacheName(request.path);
    if (name.isEmpty())
        return {};
    const bool large = std::max(request.wanted.width(), request.wanted.height()) > 128;
    const char* folders[2] = {large ? "large" : "normal", large ? "normal" : "large"};
    for (const char* folder : folders) {
        QFile file(request.cacheDir + QStringLiteral("/thumbnails/") + QLatin1String(folder) + u'/' + name);
        // cache entries are small; anything else is not one
        constexpr qint64 kMaxEntryBytes = 4 << 20;
        if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxEntryBytes)
            continue;
        const QByteArray png = file.readAll();
        if (!png.startsWith(QByteArrayView("\x89PNG\r\n\x1a\n", 8)))
            continue;
        if (PngText(png, "Thumb::MTime") != QByteArray::number(request.modifiedSeconds))
            continue; // made from another version of the file
        QImage image = QImage::fromData(png, "png");
        if (image.isNull() || image.width() > 1024 || image.height() > 1024)
            continue;
        const QSize fit = ReadSize(image.size(), request.wanted);
        if (fit != image.size())
            image = image.scaled(fit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return image;
    }
    return {};
}

} // namespace

QString ThumbnailCacheName(const std::string& path)
{
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (!uri)
        return {};
    const QByteArray hash = QCryptographicHash::hash(QByteArray(uri), QCryptographicHash::Md5).toHex();
    g_free(uri);
    return QString::fromLatin1(hash) + QStringLiteral(".png");
}

QImage ExtractThumbnail(const ThumbnailRequest& request, const std::atomic<bool>& stop)
{
    const QString name = QFile::decodeName(QByteArray::fromStdString(request.path));
    QImage image = ReadImage(name, request.wanted, stop);
    if (image.isNull() && !stop.load())
        image = CachedThumbnail(request);
    return stop.load() ? QImage() : image;
}

bool ThumbnailsAvailable()
{
    return !QImageReader::supportedImageFormats().isEmpty();
}

} // namespace bivora
