#pragma once
// Small catalogues to export: an AMC 4.1 file with a stored picture, accented
// texts and extra fields, and an XML catalogue whose pictures are linked files.
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "support/FileBytes.h"

#include <QBuffer>
#include <QDate>
#include <QImage>
#include <QPainter>

namespace filmarch::test {

// A picture of the given size, a colour band on top so that a scaled copy can be told.
inline QByteArray pictureBytes(int width, int height, const char* format = "JPG")
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QPainter(&image).fillRect(0, 0, width, height / 4, Qt::yellow);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Entry 1 "Amélie" (stored picture, rating 7.5, extra fields), entry 2 with a
// picture linked beside the catalogue, entry 3 bare.
inline void writeAmcCatalogue(const QString& path, const QString& linkedPicture)
{
    TMovieList list;
    list.CustomFieldsProperties.AddField(QStringLiteral("Edition")).FieldName = QStringLiteral("Édition");
    list.CustomFieldsProperties.AddField(QStringLiteral("Vu")).FieldType = ftBoolean;
    TMovie& amelie = list.Add();
    amelie.iNumber = 1;
    amelie.bChecked = true;
    amelie.iDate = int(QDate(1899, 12, 30).daysTo(QDate(2024, 3, 15)));
    amelie.iRating = 75;
    amelie.iYear = 2001;
    amelie.iLength = 122;
    amelie.strTranslatedTitle = QStringLiteral("Le Fabuleux Destin d'Amélie Poulain");
    amelie.strOriginalTitle = QStringLiteral("Amélie");
    amelie.strDirector = QStringLiteral("Jean-Pierre Jeunet");
    amelie.strCountry = QStringLiteral("France, Allemagne");
    amelie.strCategory = QStringLiteral("Comédie, Romance");
    amelie.strActors = QStringLiteral("Audrey Tautou(Amélie Poulain), Mathieu Kassovitz(Nino \"Quincampoix\")");
    amelie.strURL = QStringLiteral("/films/Amélie (2001).mkv");
    amelie.strDescription = QStringLiteral("Amélie, une jeune serveuse…\nÀ Montmartre \\o/.");
    amelie.strComments = QStringLiteral("cover.jpg\r\nnotes.txt\r\n");
    amelie.strVideoFormat = QStringLiteral("AVC  MPEG_4");
    amelie.iVideoBitrate = 2500;
    amelie.strAudioFormat = QStringLiteral("AAC  2 channels, AC3  6 channels");
    amelie.iAudioBitrate = 192;
    amelie.strResolution = QStringLiteral("1920x800");
    amelie.strFramerate = QStringLiteral("23.976");
    amelie.strLanguages = QStringLiteral("Français, English");
    amelie.strSubtitles = QStringLiteral("English");
    amelie.strSize = QStringLiteral("1400");
    amelie.strPicture = QStringLiteral(".jpg");
    amelie.Picture = pictureBytes(800, 1200);
    amelie.CustomFields.SetFieldValue(QStringLiteral("Edition"), QStringLiteral("Collector, 2 disques"));
    amelie.CustomFields.SetFieldValue(QStringLiteral("Vu"), QStringLiteral("True"));

    TMovie& diner = list.Add();
    diner.iNumber = 2;
    diner.iYear = 1998;
    diner.iLength = 80;
    diner.iRating = 90;
    diner.strTranslatedTitle = QStringLiteral("Le Dîner de cons");
    diner.strCategory = QStringLiteral("Comédie");
    diner.strCountry = QStringLiteral("France");
    diner.strPicture = linkedPicture;

    TMovie& bare = list.Add();
    bare.iNumber = 3;
    bare.strTranslatedTitle = QStringLiteral("Zodiac");
    bare.strCategory = QStringLiteral("Policier");
    bare.strCountry = QStringLiteral("États-Unis");
    bare.iYear = 2007;
    writeFile(path, list.SaveToBytes(41));
}

// Two Movie elements as the XML writer makes them, the first with a picture
// file named by its full path and the attachment list of the format.
inline void writeXmlCatalogue(const QString& path, const QString& picture)
{
    auto xml = XmlCatalogue::createNew();
    auto first = xml->appendMovie();
    first.setAttribute(QStringLiteral("Number"), QStringLiteral("1"));
    first.setAttribute(QStringLiteral("Checked"), QStringLiteral("True"));
    first.setAttribute(QStringLiteral("Date"), QStringLiteral("05/01/2025"));
    first.setAttribute(QStringLiteral("OriginalTitle"), QStringLiteral("Les Enfants du paradis"));
    first.setAttribute(QStringLiteral("TranslatedTitle"), QStringLiteral("Les Enfants du paradis"));
    first.setAttribute(QStringLiteral("Length"), QStringLiteral("190"));
    first.setAttribute(QStringLiteral("URL"), QStringLiteral("/films/Enfants.mkv"));
    first.setAttribute(QStringLiteral("Comments"), QStringLiteral("cover.jpg|notes.txt|"));
    first.setAttribute(QStringLiteral("Picture"), picture);
    first.setAttribute(QStringLiteral("Year"), QStringLiteral("1945"));
    first.setAttribute(QStringLiteral("Category"), QStringLiteral("Drame"));
    first.setAttribute(QStringLiteral("Rating"), QStringLiteral("8"));
    first.setAttribute(QStringLiteral("Disks"), QStringLiteral("1"));
    auto second = xml->appendMovie();
    second.setAttribute(QStringLiteral("Number"), QStringLiteral("2"));
    second.setAttribute(QStringLiteral("TranslatedTitle"), QStringLiteral("Œdipe roi"));
    second.setAttribute(QStringLiteral("Year"), QStringLiteral(""));
    second.setAttribute(QStringLiteral("Support"), QStringLiteral("DVD"));
    writeFile(path, xml->toBytes());
}

} // namespace filmarch::test
