// filmarch-cli --lire-nom: what the program reads in file names, one line a name.
#include "support/CliSandbox.h"

#include <gtest/gtest.h>

using namespace filmarch::test;

TEST(ReadNameCommand, PrintsOneLineForEachName)
{
    CliSandbox sandbox;
    ASSERT_EQ(
        sandbox.cli({QStringLiteral("--lire-nom"), QStringLiteral("Amélie.2001.FRENCH.1080p.BluRay.x264-TEAM.mkv"),
            QStringLiteral("Films/Playtime (1967)/jt-pt.CD2.avi"),
            QStringLiteral("La Haine (Hate) {tmdb-90001} tt7000001.avi")}),
        0)
        << sandbox.err.toStdString();
    EXPECT_EQ(sandbox.out,
        QStringLiteral("Amélie.2001.FRENCH.1080p.BluRay.x264-TEAM.mkv : titre « Amélie » ; année 2001 ; "
                       "écarté : FRENCH 1080p BluRay x264 TEAM\n"
                       "Films/Playtime (1967)/jt-pt.CD2.avi : titre « Playtime » ; année 1967 ; partie 2 ; "
                       "titre lu dans le dossier\n"
                       "La Haine (Hate) {tmdb-90001} tt7000001.avi : titre « La Haine » ; autre titre « Hate » ; "
                       "sans année ; IMDb tt7000001 ; TMDb 90001\n"));
    EXPECT_TRUE(sandbox.err.isEmpty());

    EXPECT_EQ(sandbox.cli({QStringLiteral("--lire-nom")}), 2);
    EXPECT_TRUE(sandbox.err.contains(QStringLiteral("--lire-nom demande au moins un NOM")))
        << sandbox.err.toStdString();
}
