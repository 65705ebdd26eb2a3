#pragma once
// Client of the film-database REST service (API version 3): keyword, requests,
// repair of the answers, the stored answer files and the thumbnails.
#include "core/AppPaths.h"
#include "platform/HttpClient.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace filmarch {

class RequestGuard;

// The keyword searched for a title: letters a-z in capitals, the elided
// articles and pronouns (C', D', J', L', M', N', QU', S', T') deleted, spaces as "+".
QString ConstruitMotCle(const QString& title);

// A name that can be used as a file name: " * / : < > ? \ | become "-".
QString traiteNomFic(const QString& name);

// Deletes the folder with all its content. Returns false when something stayed.
bool DelDir(const QString& folder);

// The answers made readable by the XML reader, as text (the byte-order mark
// removed, the declaration naming windows-1252). A line-break tag in a movie
// answer becomes a line break of the text it stands in.
QString repairSearchAnswer(QString answer);
QString repairMovieAnswer(QString answer);

// Requests run with 10 s to connect, 30 s for a whole answer and 8 MiB at
// most, through the program's HTTP client (its cookies last as long as the
// program). They block the calling thread: windows ask from a thread of their own.
class AllocineClient {
public:
    static constexpr const char* partnerKey = "Tq7bWx2LpR4nVe8";

    // `host` is the service's host, optionally with ":port"; `paths` say where
    // the answers and thumbnails are stored and where Vide.jpeg lies. The
    // requests (not the thumbnails) go through `guard` when one is given.
    AllocineClient(const QString& host, const AppPaths& paths, HttpClient& http, RequestGuard* guard = nullptr);

    // The request addresses. `count` < 0 asks for the probe (no count).
    QString searchUrl(const QString& motcle, int count = -1) const;
    QString movieUrl(const QString& code) const;

    // Send the request, store the repaired answer in ListeRecherche.xml or
    // InfosFilm.xml and return the stored bytes. Throw Error on any failure;
    // when the request itself fails, RetourBrutXml keeps the previous answer.
    QByteArray RequeteRecherche(const QString& motcle, int count = -1);
    QByteArray RequeteFilm(const QString& code);

    // The picture to show for a candidate: its thumbnail downloaded into
    // CheminImage, or Vide.jpeg when it has no poster. Throws Error.
    QString ChargeVignette(const QString& posterUrl, const QString& originalTitle);

    // A picture downloaded (see PictureDownload.h) through this client's connection.
    void downloadPicture(const QString& url, const QString& path);

    // Creates the thumbnail folder when missing.
    void prepareImageFolder() const;

    QString RetourBrutXml; // the last answer, repaired
    const QString CheminImage;

private:
    QString get(const QString& url);
    QByteArray store(const QString& answer, const QString& fileName);

public:
    const QString host;

private:
    const AppPaths paths;
    HttpClient& IdHTTP1;
    RequestGuard* guard;
};

} // namespace filmarch
