#pragma once
// One catalogue entry and the catalogue's own properties.
#include "catalog/CustomFields.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <array>
#include <optional>

namespace filmarch {

// Identifiers of the built-in fields (0..31); extra field n of the definition
// list has the identifier customFieldLow + n.
enum {
    fieldNumber = 0,
    fieldChecked,
    fieldMedia,
    fieldMediaType,
    fieldSource,
    fieldDate,
    fieldBorrower,
    fieldRating,
    fieldOriginalTitle,
    fieldTranslatedTitle,
    fieldFormattedTitle,
    fieldDirector,
    fieldProducer,
    fieldCountry,
    fieldCategory,
    fieldYear,
    fieldLength,
    fieldActors,
    fieldURL,
    fieldDescription,
    fieldComments,
    fieldVideoFormat,
    fieldVideoBitrate,
    fieldAudioFormat,
    fieldAudioBitrate,
    fieldResolution,
    fieldFramerate,
    fieldLanguages,
    fieldSubtitles,
    fieldSize,
    fieldDisks,
    fieldColorTag,
    fieldLow = fieldNumber,
    fieldHigh = fieldColorTag,
    customFieldLow = 100,
    customFieldHigh = 254
};

extern const std::array<QLatin1StringView, fieldHigh + 1> strTagFields;

class TMovieProperties {
public:
    bool operator==(const TMovieProperties&) const = default;

    QString strEncoding = QStringLiteral("iso-8859-1"); // not stored in the file
    QString strName;
    QString strMail;
    QString strSite;
    QString strDescription;
};

class TMovie {
public:
    explicit TMovie(TCustomFieldsProperties* CustomFieldsProperties = nullptr) : CustomFields(CustomFieldsProperties) {}

    // Text of a field: the stored text, an integer in decimal, "True"/"False" for
    // the check mark, the value of an extra field; empty for anything else.
    QString GetFieldValue(int FieldID) const;
    // Value of an integer field; -1 for any other identifier.
    int GetIntFieldValue(int FieldID) const;

    // Keeps a relative picture link valid when the catalogue is saved from
    // `FilenameSrc` to another path `FilenameDst` (a bare file name is copied
    // beside the destination under a name of its own).
    void CheckPicture(const QString& FilenameSrc, const QString& FilenameDst);

    TCustomFields CustomFields;
    qint32 iNumber = 0;
    QString strMedia;
    QString strMediaType;
    QString strSource;
    qint32 iDate = 0;
    QString strBorrower;
    qint32 iRating = 0;
    QString strOriginalTitle;
    QString strTranslatedTitle;
    QString strDirector;
    QString strProducer;
    QString strCountry;
    QString strCategory;
    qint32 iYear = 0;
    qint32 iLength = 0;
    QString strActors;
    QString strURL;
    QString strDescription;
    QString strComments;
    QString strVideoFormat;
    qint32 iVideoBitrate = 0;
    QString strAudioFormat;
    qint32 iAudioBitrate = 0;
    QString strResolution;
    QString strFramerate;
    QString strLanguages;
    QString strSubtitles;
    QString strSize;
    qint32 iDisks = 0;
    bool bChecked = false;
    qint32 iColorTag = 0;
    // With Picture: the picture's extension with its dot. Without: a linked
    // picture file, relative to the catalogue's folder or absolute.
    QString strPicture;
    std::optional<QByteArray> Picture; // the bytes of a picture stored in the catalogue
};

} // namespace filmarch
