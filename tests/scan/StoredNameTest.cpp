// Completing a catalogue recognises a file whose name was stored changed: the
// library gives a line break as " / ", XML drops control characters and AMC
// stores what windows-1252 cannot hold as "?".
#include "support/ScanHarness.h"
#include "support/VideoFixtures.h"

#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

TEST(StoredName, OddNamesAreDuplicatesAtTheNextCompletion)
{
    QTemporaryDir videos;
    const QString first = videos.filePath(QStringLiteral("Film\x01Controle.mp4"));
    makeVideo(first);
    const QStringList others = {QStringLiteral("Deux\nLignes.mp4"), QStringLiteral("Ligne\r\nWindows.mp4"),
        QStringLiteral("Retour\rChariot.mp4"), QStringLiteral("Tab\tulation.mp4"),
        QString::fromUtf8("Chinois 電影.mp4"), QString::fromUtf8("Œuvre €.mp4")};
    for (const QString& name : others)
        ASSERT_TRUE(QFile::copy(first, videos.filePath(name)));
    const int videoCount = 1 + int(others.size());

    for (const QString& ext : {QStringLiteral(".xml"), QStringLiteral(".amc")}) {
        SCOPED_TRACE(ext.toStdString());
        QTemporaryDir target;
        const QString catalogue = target.filePath(QStringLiteral("films") + ext);
        ScanHarness h;
        ASSERT_EQ(h.scanNew(videos.path(), catalogue), ScanOutcome::Finished);
        ASSERT_EQ(h.scanExisting(videos.path(), catalogue), ScanOutcome::Finished);
        EXPECT_TRUE(h.messages().join(u'\n').contains(
            QStringLiteral("Nouvelles entrées : 0         Nombre Total : %1         Doublons détecté : %1")
                .arg(videoCount)))
            << h.messages().join(u'\n').toStdString();
    }
}
