#include "catalog/Movie.h"

#include "catalog/PictureFiles.h"

#include <QDir>
#include <QFileInfo>

namespace filmarch {

using L = QLatin1StringView;

const std::array<QLatin1StringView, fieldHigh + 1> strTagFields = {L("Number"), L("Checked"), L("MediaLabel"),
    L("MediaType"), L("Source"), L("Date"), L("Borrower"), L("Rating"), L("OriginalTitle"), L("TranslatedTitle"),
    L("FormattedTitle"), L("Director"), L("Producer"), L("Country"), L("Category"), L("Year"), L("Length"), L("Actors"),
    L("URL"), L("Description"), L("Comments"), L("VideoFormat"), L("VideoBitrate"), L("AudioFormat"), L("AudioBitrate"),
    L("Resolution"), L("Framerate"), L("Languages"), L("Subtitles"), L("Size"), L("Disks"), L("ColorTag")};

int TMovie::GetIntFieldValue(int FieldID) const
{
    switch (FieldID) {
    case fieldNumber: return iNumber;
    case fieldDate: return iDate;
    case fieldRating: return iRating;
    case fieldYear: return iYear;
    case fieldLength: return iLength;
    case fieldVideoBitrate: return iVideoBitrate;
    case fieldAudioBitrate: return iAudioBitrate;
    case fieldDisks: return iDisks;
    case fieldColorTag: return iColorTag;
    default: return -1;
    }
}

QString TMovie::GetFieldValue(int FieldID) const
{
    switch (FieldID) {
    case fieldChecked: return bChecked ? QStringLiteral("True") : QStringLiteral("False");
    case fieldMedia: return strMedia;
    case fieldMediaType: return strMediaType;
    case fieldSource: return strSource;
    case fieldBorrower: return strBorrower;
    case fieldOriginalTitle: return strOriginalTitle;
    case fieldTranslatedTitle: return strTranslatedTitle;
    case fieldFormattedTitle: return QString();
    case fieldDirector: return strDirector;
    case fieldProducer: return strProducer;
    case fieldCountry: return strCountry;
    case fieldCategory: return strCategory;
    case fieldActors: return strActors;
    case fieldURL: return strURL;
    case fieldDescription: return strDescription;
    case fieldComments: return strComments;
    case fieldVideoFormat: return strVideoFormat;
    case fieldAudioFormat: return strAudioFormat;
    case fieldResolution: return strResolution;
    case fieldFramerate: return strFramerate;
    case fieldLanguages: return strLanguages;
    case fieldSubtitles: return strSubtitles;
    case fieldSize: return strSize;
    default: break;
    }
    if (FieldID >= fieldLow && FieldID <= fieldHigh) // the integer fields
        return QString::number(GetIntFieldValue(FieldID));
    const int custom = FieldID - customFieldLow;
    if (FieldID >= customFieldLow && FieldID <= customFieldHigh && CustomFields.Properties
        && custom < CustomFields.Properties->Count())
        return CustomFields.GetFieldValue(CustomFields.Properties->GetItem(custom).FieldTag);
    return QString();
}

void TMovie::CheckPicture(const QString& FilenameSrc, const QString& FilenameDst)
{
    if (FilenameSrc.isEmpty() || FilenameDst.isEmpty() || FilenameSrc == FilenameDst || strPicture.isEmpty() || Picture)
        return;
    if (QDir::isAbsolutePath(strPicture))
        return;
    const QString abs = QDir::cleanPath(QFileInfo(FilenameSrc).absolutePath() + u'/' + strPicture);
    if (!QFileInfo(abs).isFile())
        return;
    const QString dstFolder = QFileInfo(FilenameDst).absolutePath();
    if (!strPicture.contains(u'/')) {
        const QString name = GetPictureName(FilenameDst, *this, ExtractFileExt(abs));
        strPicture = name;
        const QString target = QDir(dstFolder).filePath(name);
        // A failed copy is ignored: the entry names the new file anyway.
        replaceWithCopy(abs, target);
        return;
    }
    strPicture = QDir(dstFolder).relativeFilePath(abs);
}

} // namespace filmarch
