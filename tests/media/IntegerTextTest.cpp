#include "media/IntegerText.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#include <optional>

using namespace filmarch;

namespace {

struct Case {
    const char16_t* text;
    std::optional<qint64> value32; // empty: not an integer text in 32-bit range
    std::optional<qint64> value64;
};

const Case cases[] = {
    {u"0", 0, 0}, {u"42", 42, 42}, {u"   -17", -17, -17}, {u"+8", 8, 8}, {u"007", 7, 7}, {u"$1F", 31, 31},
    {u"x1f", 31, 31}, {u"X10", 16, 16}, {u"0x7fffffff", 2147483647, 2147483647}, {u"-0X10", -16, -16},
    {u"2147483647", 2147483647, 2147483647}, {u"-2147483648", -2147483648LL, -2147483648LL},
    {u"2147483648", std::nullopt, 2147483648LL}, {u"-2147483649", std::nullopt, -2147483649LL},
    {u"9223372036854775807", std::nullopt, 9223372036854775807LL},
    {u"-9223372036854775808", std::nullopt, std::numeric_limits<qint64>::min()},
    {u"9223372036854775808", std::nullopt, std::nullopt}, {u"", std::nullopt, std::nullopt},
    {u"   ", std::nullopt, std::nullopt}, {u"-", std::nullopt, std::nullopt}, {u"$", std::nullopt, std::nullopt},
    {u"0x", std::nullopt, std::nullopt}, {u"12 ", std::nullopt, std::nullopt}, // nothing may follow
    {u"\t12", std::nullopt, std::nullopt},                                     // only spaces may lead
    {u"- 5", std::nullopt, std::nullopt}, {u"1.5", std::nullopt, std::nullopt}, {u"1 500", std::nullopt, std::nullopt},
    {u"12a", std::nullopt, std::nullopt}, {u"$1G", std::nullopt, std::nullopt},
    {u"\u0661\u0662", std::nullopt, std::nullopt}, // digits of another script are no digits
};

} // namespace

TEST(IntegerText, ReadsByTheProgramRuleIn32And64BitRanges)
{
    for (const Case& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(isIntegerText(text), c.value32.has_value());
        EXPECT_EQ(isIntegerText64(text), c.value64.has_value());
        if (c.value32)
            EXPECT_EQ(toInteger(text), *c.value32);
        else
            EXPECT_THROW(toInteger(text), ConversionError);
        if (c.value64)
            EXPECT_EQ(toInteger64(text), *c.value64);
        else
            EXPECT_THROW(toInteger64(text), ConversionError);
    }
}
