// What the programs say when their output or their display fails, and the
// language they say it in, whatever the system's.
#include "catalog/XmlCatalogue.h"
#include "support/CliSandbox.h"
#include "support/FileBytes.h"
#include "support/TestPaths.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

class CliOutput : public ::testing::Test, protected CliSandbox {
protected:
    // Runs `command` in bash with the program as $P; returns what it printed
    // on its standard output, its standard error is in `err`.
    QString shell(const QString& command, const QStringList& environment = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("P"), program());
        for (const QString& pair : environment)
            env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("bash"), {QStringLiteral("-c"), command});
        EXPECT_TRUE(p.waitForFinished(120000));
        err = QString::fromUtf8(p.readAllStandardError());
        return QString::fromUtf8(p.readAllStandardOutput());
    }
};

} // namespace

// A full disk: nothing claims success, the reason is said on standard error.
TEST_F(CliOutput, AFailedOutputEndsWithStatus3AndSaysWhy)
{
    QTemporaryDir reference, backup, videos, target;
    for (int i = 0; i < 50; ++i)
        QFile(reference.filePath(QStringLiteral("fichier %1.mkv").arg(i))).open(QIODevice::WriteOnly);
    makeVideo(videos.filePath(QStringLiteral("Un.Film.2001.mp4")));
    const QString xml = target.filePath(QStringLiteral("films.xml"));
    // A catalogue whose film was renamed since: a verification that would move its entry.
    QTemporaryDir checkedFilms;
    makeVideo(checkedFilms.filePath(QStringLiteral("Autre.Film.2002.mp4")));
    const QString checked = target.filePath(QStringLiteral("verifie.xml"));
    shell(QStringLiteral("\"$P\" -q '%1' '%2'").arg(checkedFilms.path(), checked));
    ASSERT_TRUE(QFile::rename(checkedFilms.filePath(QStringLiteral("Autre.Film.2002.mp4")),
        checkedFilms.filePath(QStringLiteral("Autre Film (2002).mp4"))));
    const QByteArray checkedBefore = readFile(checked);
    ASSERT_FALSE(checkedBefore.isEmpty()) << err.toStdString();
    const struct {
        const char* name;
        QString arguments;
    } cases[] = {
        {"help", QStringLiteral("--help")},
        {"version", QStringLiteral("--version")},
        {"comparison", QStringLiteral("--comparer '%1' '%2'").arg(reference.path(), backup.path())},
        {"scan", QStringLiteral("'%1' '%2'").arg(videos.path(), xml)},
        {"reading a name", QStringLiteral("--lire-nom Un.Film.2001.mp4")},
        {"verification", QStringLiteral("--verifier --appliquer '%1'").arg(checked)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString shown = shell(
            QStringLiteral("\"$P\" %1 > /dev/full; echo \"statut $?\"").arg(c.arguments), {QStringLiteral("LANG=C")});
        EXPECT_TRUE(err.contains(QStringLiteral("filmarch-cli : écriture impossible sur la sortie standard : "
                                                "le disque est plein")))
            << err.toStdString();
        EXPECT_EQ(shown, QStringLiteral("statut 3\n"));
    }
    // Changes the user could not read about are not made.
    EXPECT_EQ(readFile(checked), checkedBefore);
    // The scan stopped on its first line and left a catalogue that loads.
    if (QFileInfo::exists(xml)) {
        EXPECT_NO_THROW(XmlCatalogue::loadFile(xml));
    }
}

// A reader that went away ends the program as it ends find: quietly, by SIGPIPE.
TEST_F(CliOutput, AClosedPipeEndsTheProgramQuietly)
{
    QTemporaryDir reference, backup, videos, target;
    // More than a pipe holds, so that the program is still writing when head leaves.
    for (int i = 0; i < 3000; ++i)
        QFile(reference.filePath(QStringLiteral("un fichier au nom assez long pour remplir le tube %1.mkv").arg(i)))
            .open(QIODevice::WriteOnly);
    const QString shown =
        shell(QStringLiteral("\"$P\" --comparer '%1' '%2' | head -1; echo \"statuts ${PIPESTATUS[*]}\"")
                  .arg(reference.path(), backup.path()));
    const QStringList lines = shown.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << shown.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("+ "))) << shown.toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("statuts 141 0"));

    // A scan whose reader is gone before the first line: the run stops at once,
    // its catalogue whole, and nothing is said. The reader of a named pipe
    // is closed before the program starts, so that it is gone whatever the timing.
    makeVideo(videos.filePath(QStringLiteral("Un.Film.2001.mp4")));
    const QString xml = target.filePath(QStringLiteral("films.xml"));
    const QString scan = shell(QStringLiteral("mkfifo '%3' && exec 5<>'%3' 6>'%3' 5<&- && \"$P\" '%1' '%2' >&6; "
                                              "echo \"statut $?\"")
                                   .arg(videos.path(), xml, target.filePath(QStringLiteral("tube"))));
    EXPECT_EQ(scan, QStringLiteral("statut 141\n"));
    EXPECT_FALSE(err.contains(QStringLiteral("écriture impossible"))) << err.toStdString();
    if (QFileInfo::exists(xml)) {
        EXPECT_NO_THROW(XmlCatalogue::loadFile(xml));
    }
}

// Every message in French whatever the system's language: Qt's command-line
// errors and the system's reasons too.
TEST_F(CliOutput, MessagesAreFrenchWhateverTheLanguage)
{
    QTemporaryDir target;
    for (const QString& lang : {QStringLiteral("LANG=C"), QStringLiteral("LANG=fr_FR.UTF-8")}) {
        SCOPED_TRACE(lang.toStdString());
        QString shown = shell(QStringLiteral("\"$P\" a b -j; echo \"statut $?\""), {lang, QStringLiteral("LC_ALL=")});
        EXPECT_TRUE(err.contains(QStringLiteral("filmarch-cli : Valeur manquante après"))) << err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("Voir filmarch-cli --help.")));
        EXPECT_EQ(shown, QStringLiteral("statut 2\n"));

        shown = shell(QStringLiteral("\"$P\" --exporter csv '%1' '%2'")
                          .arg(target.filePath(QStringLiteral("absent.xml")), target.filePath(QStringLiteral("f.csv"))),
            {lang, QStringLiteral("LC_ALL=")});
        EXPECT_TRUE(err.contains(QStringLiteral("(Aucun fichier ou dossier"))) << err.toStdString();
    }
}

// Without a display the window program says so, and what to use instead.
TEST(WindowProgram, WithoutADisplayPointsToTheCommandLine)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    p.setProcessEnvironment(env);
    p.start(binDir() + QStringLiteral("/filmarch"), {});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("demande une session graphique"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("filmarch-cli --help")));
    EXPECT_FALSE(err.contains(QStringLiteral("reinstall"))) << err.toStdString();
}

namespace {

// Exit status -> its text, words joined by single spaces, first letter and
// final full stop as --help writes them.
using Statuses = QMap<QString, QString>;

QString plain(QString text)
{
    text = text.simplified();
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

Statuses helpStatuses(const QString& help)
{
    Statuses statuses;
    QString current;
    bool inList = false;
    for (const QString& line : help.split(QLatin1Char('\n'))) {
        if (line == QStringLiteral("Code de sortie :")) {
            inList = true;
            continue;
        }
        if (!inList)
            continue;
        static const QRegularExpression status(QStringLiteral("^  (\\d+) +(.*)$"));
        const QRegularExpressionMatch m = status.match(line);
        if (m.hasMatch()) {
            current = m.captured(1);
            statuses[current] = m.captured(2);
        } else if (line.startsWith(QStringLiteral("       ")) && !current.isEmpty()) {
            statuses[current] += QLatin1Char(' ') + line;
        } else {
            break;
        }
    }
    for (QString& text : statuses)
        text = plain(text);
    return statuses;
}

Statuses manualStatuses(const QString& page)
{
    Statuses statuses;
    const qsizetype start = page.indexOf(QStringLiteral(".SH CODE DE SORTIE"));
    const QStringList lines = page.mid(start).split(QLatin1Char('\n')).mid(1);
    QString current;
    for (const QString& line : lines) {
        if (line.startsWith(QStringLiteral(".SH")) || line.startsWith(QStringLiteral(".PP")))
            break;
        if (line.startsWith(QStringLiteral(".B "))) {
            current = line.mid(3);
            statuses[current].clear();
        } else if (!line.startsWith(QLatin1Char('.')) && !current.isEmpty()) {
            QString text = line;
            text.remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")));
            statuses[current] += QLatin1Char(' ') + text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
        }
    }
    for (QString& text : statuses)
        text = plain(text);
    return statuses;
}

} // namespace

TEST_F(CliOutput, TheManualPageListsTheExitStatusesOfHelp)
{
    ASSERT_EQ(cli({QStringLiteral("--help")}), 0);
    const Statuses help = helpStatuses(out);
    ASSERT_EQ(help.keys(),
        (QStringList {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("130"), QStringLiteral("2"),
            QStringLiteral("3")}));
    QFile page(sourceDir() + QStringLiteral("/../desktop/man/filmarch-cli.1"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const Statuses manual = manualStatuses(QString::fromUtf8(page.readAll()));
    for (auto it = help.cbegin(); it != help.cend(); ++it)
        EXPECT_EQ(manual.value(it.key()), it.value()) << "status " << it.key().toStdString();
    EXPECT_EQ(manual.keys(), help.keys());
}
