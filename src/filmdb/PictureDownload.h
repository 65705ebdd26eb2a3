#pragma once
// What the film databases' clients and the posters share: the bounds of their
// requests and the download of a picture.
#include <QString>

namespace filmarch {

class HttpClient;

// Bounds every request to a film database and its pictures: 10 s to connect,
// 30 s for a whole answer, 8 MiB at most.
void limitRequests(HttpClient& http);

// Downloads a picture to `path` through a temporary file
// beside it: the file is replaced only by a whole picture (a failed download,
// or an answer whose bytes are no JPEG, PNG, GIF, WebP or BMP picture, leaves
// the previous one). Creates the folder when missing. Throws Error.
void downloadPicture(HttpClient& http, const QString& url, const QString& path);

} // namespace filmarch
