#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <cstdint>
#include <string>

namespace bivora {

// What a thumbnail is made of: a file, the pixel size it should fit and where the
// desktop keeps its thumbnail cache. Plain values, so a worker owns its copy.
struct ThumbnailRequest {
    std::string path;             // the file's full path, as bytes
    std::int64_t modifiedSeconds = 0; // its modification time, which a cached entry must match
    QSize wanted;                 // device pixels
    QString cacheDir;             // the desktop's cache folder ($XDG_CACHE_HOME or ~/.cache)
};

// Images larger than this many pixels are refused before anything is allocated for them.
inline constexpr qint64 kMaxThumbnailSourcePixels = 200'000'000;

// Makes the thumbnail of a file, on a worker (it reads the disk): an image the reader
// knows decoded at no more than the wanted size, keeping its aspect ratio (a JPEG is
// decoded at reduced scale); for other files an entry of the freedesktop thumbnail
// cache that belongs to the file's present version. A null image when there is none,
// when the file is damaged or claims too many pixels, or when stop is set.
QImage ExtractThumbnail(const ThumbnailRequest& request, const std::atomic<bool>& stop);

// The cache entry names of a file: "<md5 of its file URI>.png".
QString ThumbnailCacheName(const std::string& path);

// True when images can be read at all (the image plugins load).
bool ThumbnailsAvailable();

} // namespace bivora
