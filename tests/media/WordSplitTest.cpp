#include "media/WordSplit.h"

#include <gtest/gtest.h>

using namespace filmarch;

TEST(DecouperMots, SplitsOnBlanksAndCommasKeepingEmptyWordsAndQuotes)
{
    const struct {
        QString text;
        QStringList words;
    } cases[] = {
        {QStringLiteral("a,,b"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {QStringLiteral("a , b"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a,"), {QStringLiteral("a"), QString()}},
        {QStringLiteral(",a"), {QString(), QStringLiteral("a")}},
        {QStringLiteral("  a\tb \n"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QString(), {}},
        {QStringLiteral("   "), {}},
        {QStringLiteral("\"le film\",b"), {QStringLiteral("le film"), QStringLiteral("b")}},
        {QStringLiteral("\"dit \"\"non\"\", x\""), {QStringLiteral("dit \"non\", x")}},
        {QStringLiteral("\"sans fin, ici"), {QStringLiteral("sans fin, ici")}},
        {QStringLiteral("\"ab\"cd"), {QStringLiteral("ab"), QStringLiteral("cd")}},
        {QStringLiteral("hd-dvd,™,Été"), {QStringLiteral("hd-dvd"), QStringLiteral("™"), QStringLiteral("Été")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(splitWords(c.text), c.words);
    }
}
