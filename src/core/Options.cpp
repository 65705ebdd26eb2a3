#include "core/Options.h"

#include <QDir>

namespace filmarch {

QString defaultFiltreTitre()
{
    return QStringLiteral(
        "mkv,avi,extended,cut,blurayrip,dvdrip,bdrip,brrip,hdz,dxva,ogg,he,aac,avc,xvid,mp3,divx,spa,"
        "dut,gr,chi,\u2122,ara,kor,ita,frq,chap,fr,eng,com,hp,lc,sharethefiles,HFC,chaps,sub,covers,cover,"
        "x264,multi,hd-dvd,rip,bluray,1080p,720p,DD5,ac3,team,vo,vf,dts,dd,hd,dvd,v2,vostfr,truefrench");
}

namespace {
QString& chosenRepAffiche()
{
    static QString folder;
    return folder;
}
} // namespace

QString defaultRepAffiche()
{
    const QString& chosen = chosenRepAffiche();
    return chosen.isEmpty() ? QDir::homePath() + QStringLiteral("/Affiches") : chosen;
}

void setDefaultRepAffiche(const QString& folder)
{
    chosenRepAffiche() = folder;
}

QString posterFolder(const QString& EdRepAffiche)
{
    return EdRepAffiche.isEmpty() ? defaultRepAffiche() : EdRepAffiche;
}

bool usesTmdb(const ScanOptions& options)
{
    if (options.Source.isEmpty())
        return !options.CleTMDb.trimmed().isEmpty();
    return options.Source.compare(QLatin1String("TMDb"), Qt::CaseInsensitive) == 0;
}

bool lookupConfigured(const ScanOptions& options)
{
    // A setting of spaces is no setting.
    return usesTmdb(options) ? !options.CleTMDb.trimmed().isEmpty() : !options.Serveur.trimmed().isEmpty();
}

} // namespace filmarch
