#include "catalog/FieldValues.h"

#include <gtest/gtest.h>

using namespace filmarch;

TEST(FieldValues, NormalisedForEachType)
{
    const struct {
        const char* value;
        TFieldType type;
        bool extraDate;
        bool emptyIfFalse;
        const char* expected;
    } cases[] = {
        {"", ftInteger, false, false, ""},
        {"12.9", ftInteger, false, false, "12"},
        {"-2.9", ftInteger, false, false, "-2"},
        {"-0.5", ftInteger, false, false, "0"},
        {" 1e3 ", ftInteger, false, false, "1000"},
        {"12abc", ftInteger, false, false, ""},
        {"2.5", ftReal, false, false, "2.500"},
        {"2.0005", ftReal, false, false, "2.001"},
        {"-1.9996", ftReal, false, false, "-2.000"},
        {"999.9999", ftReal, false, false, "1000.000"},
        {".5", ftReal, false, false, "0.500"},
        {"word", ftReal, false, false, ""},
        {"", ftBoolean, false, false, "False"},
        {"", ftBoolean, false, true, ""},
        {"0", ftBoolean, false, false, "False"},
        {"FALSE", ftBoolean, false, true, ""},
        {"yes", ftBoolean, false, true, "True"},
        {"2014-03-18", ftDate, false, false, "2014-03-18"},
        {"2014-3-8", ftDate, false, false, "2014-03-08"},
        {"18/03/2014", ftDate, false, false, "2014-03-18"},
        {"2014-02-30", ftDate, false, false, ""},
        {"today", ftDate, true, false, "Today"},
        {"today", ftDate, false, false, ""},
        {" keep  this ", ftString, false, false, " keep  this "},
        {"anything", ftUrl, false, false, "anything"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertFieldValue(QString::fromUtf8(c.value), c.type, false, c.extraDate, c.emptyIfFalse),
            QString::fromUtf8(c.expected))
            << c.value << " as " << ConvertFieldTypeToString(c.type).toStdString();
}

TEST(FieldValues, SystemDecimalCommaIsReadAsPoint)
{
    EXPECT_EQ(ConvertFieldValueWithSeparator(QStringLiteral("3,7"), ftInteger, false, true, u','), QStringLiteral("3"));
    EXPECT_EQ(
        ConvertFieldValueWithSeparator(QStringLiteral("2,5"), ftReal, false, true, u','), QStringLiteral("2.500"));
    EXPECT_EQ(ConvertFieldValueWithSeparator(QStringLiteral("3,7"), ftInteger, false, true, u'.'), QString());
}

TEST(FieldValues, TypeNames)
{
    const char* names[] = {"ftString", "ftInteger", "ftReal", "ftBoolean", "ftDate", "ftList", "ftText", "ftUrl"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(ConvertFieldTypeToString(i), QLatin1StringView(names[i]));
        EXPECT_EQ(ConvertFieldTypeFromString(QString::fromLatin1(names[i]).toUpper()), TFieldType(i));
    }
    EXPECT_EQ(ConvertFieldTypeToString(8), QStringLiteral("ftString"));
    EXPECT_EQ(ConvertFieldTypeFromString(QStringLiteral("ftMemo")), ftString);
}
