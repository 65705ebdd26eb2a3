#include "core/Journal.h"
#include "core/AppPaths.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using filmarch::Journal;

TEST(Journal, AppendsTimedLinesToFileAndMemo)
{
    QTemporaryDir dir;
    const QString path = Journal::logFilePath(filmarch::AppPaths::beside(dir.path()), QDate(2014, 3, 7));
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Logs_Filmarch/log-07_03_2014.txt")));
    QDir(dir.path()).mkdir(QStringLiteral("Logs_Filmarch"));

    QStringList memo;
    Journal journal;
    journal.memo = [&](const QString& line) { memo << line; };
    journal.EcritureLog(path, QStringLiteral("Début du scan du répertoire /films"));
    journal.EcritureLog(path, QStringLiteral("deuxième"));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QRegularExpression form(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d: Début du scan du répertoire /films$"));
    EXPECT_TRUE(form.match(lines[0]).hasMatch()) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(": deuxième")));
    ASSERT_EQ(memo.size(), 2);
    EXPECT_TRUE(form.match(memo[0]).hasMatch());
}

TEST(Journal, EmptyPathWritesMemoOnlyAndIoErrorIsReportedOnce)
{
    QStringList memo, errors;
    Journal journal;
    journal.memo = [&](const QString& line) { memo << line; };
    journal.reportError = [&](const QString& e) { errors << e; };

    journal.EcritureLog(QString(), QStringLiteral("sans fichier"));
    EXPECT_EQ(memo.size(), 1);
    EXPECT_TRUE(errors.isEmpty());

    const QString unwritable = QStringLiteral("/nonexistent-folder/log.txt");
    journal.EcritureLog(unwritable, QStringLiteral("a"));
    journal.EcritureLog(unwritable, QStringLiteral("b"));
    EXPECT_EQ(memo.size(), 3);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("journal")));
}
