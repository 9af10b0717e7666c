#include "ui/platform/thumbnail_source.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>
#include <QCryptographicHash>

#include <gtest/gtest.h>

namespace bivora {
namespace {

quint32 Crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG whose header claims a size, with nothing behind it.
QByteArray PngClaiming(quint32 width, quint32 height)
{
    auto be32 = [](quint32 v) {
        const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        return QByteArray(bytes, 4);
    };
    QByteArray chunk = "IHDR" + be32(width) + be32(height) + QByteArray("\x08\x02\x00\x00\x00", 5);
    const quint32 crc = Crc32(chunk);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + be32(13) + chunk + be32(crc);
}

class ThumbnailSourceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    std::string Write(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return QFile::encodeName(file.fileName()).toStdString();
    }

    std::string Save(const QString& name, const QImage& image)
    {
        EXPECT_TRUE(image.save(dir.filePath(name)));
        return QFile::encodeName(dir.filePath(name)).toStdString();
    }

    QImage Extract(const std::string& path, QSize wanted, std::int64_t mtime = 0)
    {
        const std::atomic<bool> stop{false};
        return ExtractThumbnail({path, mtime, wanted, dir.filePath(QStringLiteral("cache"))}, stop);
    }

    QTemporaryDir dir;
};

TEST_F(ThumbnailSourceTest, ImagesFitTheWantedSizeAndDamagedOnesGiveNothing)
{
    QImage photo(3000, 2000, QImage::Format_RGB32);
    photo.fill(Qt::darkGreen);
    const std::string big = Save(QStringLiteral("big.jpg"), photo);
    QFile bigFile(QString::fromStdString(big));
    ASSERT_TRUE(bigFile.open(QIODevice::ReadOnly));
    const QByteArray jpeg = bigFile.readAll();
    QImage small(64, 48, QImage::Format_ARGB32);
    small.fill(Qt::red);
    const std::string smallPng = Save(QStringLiteral("small.png"), small);
    QFile smallFile(QString::fromStdString(smallPng));
    ASSERT_TRUE(smallFile.open(QIODevice::ReadOnly));
    const QByteArray png = smallFile.readAll();

    struct Case {
        const char* name;
        std::string path;
        QSize wanted;
        QSize expected; // invalid: no picture
    };
    const Case cases[] = {
        {"large JPEG read reduced, aspect kept", big, {200, 200}, {200, 133}},
        {"small image keeps its size", smallPng, {200, 200}, {64, 48}},
        {"small image larger than a tiny view", smallPng, {32, 32}, {32, 24}},
        {"text named .jpg", Write(QStringLiteral("text.jpg"), "just some words\n"), {200, 200}, {}},
        {"truncated JPEG", Write(QStringLiteral("cut.jpg"), jpeg.left(jpeg.size() / 2)), {200, 200}, {}},
        {"truncated PNG", Write(QStringLiteral("cut.png"), png.left(png.size() / 2)), {200, 200}, {}},
        {"PNG claiming 100000 x 100000", Write(QStringLiteral("huge.png"), PngClaiming(100000, 100000)),
         {200, 200}, {}},
        {"empty file", Write(QStringLiteral("empty.png"), {}), {200, 200}, {}},
        {"missing file", QFile::encodeName(dir.filePath(QStringLiteral("gone.png"))).toStdString(), {200, 200}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage image = Extract(c.path, c.wanted);
        if (c.expected.isValid())
            EXPECT_EQ(image.size(), c.expected);
        else
            EXPECT_TRUE(image.isNull()) << image.width() << "x" << image.height();
    }
}

TEST_F(ThumbnailSourceTest, OtherFilesTakeACacheEntryOfTheirPresentVersion)
{
    const std::string doc = Write(QStringLiteral("report one.pdf"), "%PDF-1.4 not really\n");
    // the cache's name: the MD5 of the file's URI
    const QByteArray uri = QUrl::fromLocalFile(QString::fromStdString(doc)).toEncoded();
    EXPECT_EQ(ThumbnailCacheName(doc), QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex())
                                           + QStringLiteral(".png"));

    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("cache/thumbnails/normal"))));
    QImage entry(128, 96, QImage::Format_ARGB32);
    entry.fill(Qt::blue);
    entry.setText(QStringLiteral("Thumb::MTime"), QStringLiteral("1700000000"));
    ASSERT_TRUE(entry.save(dir.filePath(QStringLiteral("cache/thumbnails/normal/")) + ThumbnailCacheName(doc)));

    EXPECT_EQ(Extract(doc, {200, 200}, 1700000000).size(), QSize(128, 96));
    EXPECT_EQ(Extract(doc, {64, 64}, 1700000000).size(), QSize(64, 48));
    // made from another version of the file
    EXPECT_TRUE(Extract(doc, {200, 200}, 1700000001).isNull());
}

TEST_F(ThumbnailSourceTest, AStoppedRequestGivesNothing)
{
    QImage image(50, 50, QImage::Format_RGB32);
    image.fill(Qt::white);
    const std::atomic<bool> stop{true};
    EXPECT_TRUE(ExtractThumbnail({Save(QStringLiteral("a.png"), image), 0, {200, 200}, {}}, stop).isNull());
}

} // namespace
} // namespace bivora
