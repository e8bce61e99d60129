#include "common/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace kestrap {
namespace {

TEST(TextBetween, TakesTextAfterFirstStartUpToNextEnd) {
    EXPECT_EQ(TextBetween("a<b>one</b><b>two</b>", "<b>", "</b>"), "one");
    // the end marker is searched only after the start marker
    EXPECT_EQ(TextBetween("</b>x<b>y</b>", "<b>", "</b>"), "y");
}

TEST(TextBetween, MissingMarkers) {
    EXPECT_EQ(TextBetween("no markers", "<b>", "</b>"), "");
    EXPECT_EQ(TextBetween("<b>runs to the end", "<b>", "</b>"), "runs to the end");
    EXPECT_EQ(TextBetween("ends right here<b>", "<b>", "</b>"), "");
    EXPECT_EQ(TextBetween("", "<b>", "</b>"), "");
}

TEST(TextBetween, MatchesBytesExactlyAndCaseSensitively) {
    EXPECT_EQ(TextBetween("<B>upper</B><b>lower</b>", "<b>", "</b>"), "lower");
    // overlapping start and end markers: the end is searched after the whole start marker
    EXPECT_EQ(TextBetween("xxAxx", "xx", "xx"), "A");
}

TEST(StripBlanks, RemovesOnlySpacesAtBothEnds) {
    EXPECT_EQ(StripBlanks("  a b  "), "a b");
    EXPECT_EQ(StripBlanks("\ta\t"), "\ta\t");
    EXPECT_EQ(StripBlanks("    "), "");
}

TEST(LowerCase, AsciiAndTheSevenAccentedLetters) {
    EXPECT_EQ(LowerCase("Hello WORLD az AZ @[`{"), "hello world az az @[`{");
    const std::string upper = "\x80\x8E\x8F\x90\x99\x9A\xA5";
    const std::string lower = "\x87\x84\x86\x82\x94\x81\xA4";
    EXPECT_EQ(LowerCase(upper), lower);
    EXPECT_EQ(LowerCase(lower), lower);
    // the prefix test folds by the same rule, without a copy
    EXPECT_TRUE(StartsWithAnyCase("HTTPS://A", "https://"));
    EXPECT_TRUE(StartsWithAnyCase(upper + "x", lower));
    EXPECT_FALSE(StartsWithAnyCase("http:/", "http://"));
    EXPECT_FALSE(StartsWithAnyCase("<LINKS", "<lint"));
}

TEST(LowerCase, LeavesEveryOtherByteAlone) {
    const std::string accented = "\x80\x8E\x8F\x90\x99\x9A\xA5";
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        if ((b >= 'A' && b <= 'Z') || accented.find(c) != std::string::npos) continue;
        EXPECT_EQ(LowerCase(std::string(1, c)), std::string(1, c)) << "byte " << b;
    }
}

TEST(ReadNumber, DecimalPrefixAfterLeadingWhitespace) {
    EXPECT_EQ(ReadNumber(" \t\n 17abc"), 17);
    EXPECT_EQ(ReadNumber("-3.5x"), -3.5);
    EXPECT_EQ(ReadNumber("+8"), 8);
    EXPECT_EQ(ReadNumber(".5"), 0.5);
    EXPECT_EQ(ReadNumber("5."), 5);
    EXPECT_EQ(ReadNumber("1.5e3"), 1500);
    EXPECT_EQ(ReadNumber("2E-2"), 0.02);
    EXPECT_EQ(ReadNumber("1,000"), 1);
}

TEST(ReadNumber, TextWithoutANumberIsZero) {
    EXPECT_EQ(ReadNumber(""), 0);
    EXPECT_EQ(ReadNumber("   "), 0);
    EXPECT_EQ(ReadNumber("sss"), 0);
    EXPECT_EQ(ReadNumber("-"), 0);
    EXPECT_EQ(ReadNumber("."), 0);
    EXPECT_EQ(ReadNumber("-.e5"), 0);
    // carriage return is not among the skipped characters
    EXPECT_EQ(ReadNumber("\r5"), 0);
}

TEST(ReadNumber, IncompleteExponentIsLeftOut) {
    EXPECT_EQ(ReadNumber("3e"), 3);
    EXPECT_EQ(ReadNumber("3ex"), 3);
}

TEST(ReadNumber, RadixForms) {
    EXPECT_EQ(ReadNumber("&H1F"), 31);
    EXPECT_EQ(ReadNumber("&hff"), 255);
    EXPECT_EQ(ReadNumber("&O17"), 15);
    EXPECT_EQ(ReadNumber("&Q17"), 15);
    EXPECT_EQ(ReadNumber("&B101"), 5);
    EXPECT_EQ(ReadNumber("&b102"), 2);
    EXPECT_EQ(ReadNumber("&17"), 15);
    EXPECT_EQ(ReadNumber("  &H10"), 16);
    EXPECT_EQ(ReadNumber("&O8"), 0);
    EXPECT_EQ(ReadNumber("&"), 0);
    EXPECT_EQ(ReadNumber("&X1"), 0);
    EXPECT_EQ(ReadNumber("&H"), 0);
}

TEST(ReadNumber, HugeAndTinyValuesStayFinite) {
    const double max = std::numeric_limits<double>::max();
    EXPECT_EQ(ReadNumber("1e999"), max);
    EXPECT_EQ(ReadNumber("-1e999"), -max);
    EXPECT_EQ(ReadNumber(std::string(400, '9')), max);
    EXPECT_EQ(ReadNumber("1e99999999999999999999999"), max);
    EXPECT_EQ(ReadNumber("1e-999"), 0);
    EXPECT_EQ(ReadNumber("0." + std::string(400, '0') + "1"), 0);
    EXPECT_EQ(ReadNumber("0." + std::string(400, '0') + "1e800"), max);
    EXPECT_EQ(ReadNumber("0." + std::string(400, '0') + "1e500"), 1e99);
    EXPECT_EQ(ReadNumber("&H" + std::string(400, 'F')), max);
}

TEST(RoundHalfEven, ExactHalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundHalfEven(2.5001), 3);
    EXPECT_EQ(RoundHalfEven(-2.6), -3);
}

TEST(RoundHalfEven, SaturatesOutsideTheIntegerRange) {
    EXPECT_EQ(RoundHalfEven(1e300), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(RoundHalfEven(-1e300), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::infinity()), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
}

TEST(FormatNumbers, PlainAndDigitMasks) {
    EXPECT_EQ(FormatPlain(-7), "-7");
    EXPECT_EQ(FormatDigits(5, 2), "05");
    EXPECT_EQ(FormatDigits(123, 2), "123");
    EXPECT_EQ(FormatDigits(7, 4), "0007");
    EXPECT_EQ(FormatDigits(20081, 4), "20081");
    EXPECT_EQ(FormatDigits(-5, 2), "-05");
    EXPECT_EQ(FormatDigits(std::numeric_limits<int64_t>::min(), 2), "-9223372036854775808");
}

TEST(FormatNumbers, TwoDecimalsRoundHalfEven) {
    EXPECT_EQ(FormatTwoDecimals(1.1), "1.10");
    EXPECT_EQ(FormatTwoDecimals(1.04), "1.04");
    EXPECT_EQ(FormatTwoDecimals(0.125), "0.12");
    EXPECT_EQ(FormatTwoDecimals(0.375), "0.38");
    EXPECT_EQ(FormatTwoDecimals(12.345678), "12.35");
    EXPECT_EQ(FormatTwoDecimals(-1.5), "-1.50");
    EXPECT_EQ(FormatTwoDecimals(-0.001), "0.00");
    EXPECT_EQ(FormatTwoDecimals(std::numeric_limits<double>::infinity()), "0.00");
    EXPECT_EQ(FormatTwoDecimals(1e20), "100000000000000000000.00");
}

TEST(FormatNumbers, ThousandsGroups) {
    EXPECT_EQ(FormatThousands(0), "0");
    EXPECT_EQ(FormatThousands(1234), "1,234");
    EXPECT_EQ(FormatThousands(10000), "10,000");
    EXPECT_EQ(FormatThousands(1234567), "1,234,567");
    EXPECT_EQ(FormatThousands(-1234), "-1,234");
    EXPECT_EQ(FormatThousands(-123), "-123");
}

// Against the library's find on texts made of a few letters, so that near misses abound.
TEST(FindText, AnswersAsStringFindDoes) {
    std::mt19937 random(31);
    auto make = [&](size_t length) {
        std::string text;
        for (size_t i = 0; i < length; ++i) text.push_back("<a/>"[random() % 4]);
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string text = make(random() % 40);
        const std::string marker = make(random() % 5);
        const size_t from = random() % 45;
        ASSERT_EQ(FindText(text, marker, from), std::string_view(text).find(marker, from))
            << "'" << text << "' '" << marker << "' from " << from;
    }
}

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::string_view line;
    while (NextLine(text, line)) lines.emplace_back(line);
    return lines;
}

TEST(NextLine, EveryLineEndForm) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Lines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(Lines("a\r\n"), (V{"a"}));
    // LF then CR is two line ends, so an empty line lies between them
    EXPECT_EQ(Lines("a\n\rb"), (V{"a", "", "b"}));
    EXPECT_EQ(Lines("\r\n\r\nx"), (V{"", "", "x"}));
    EXPECT_EQ(Lines("a\r\r\nb"), (V{"a", "", "b"}));
    EXPECT_EQ(Lines(""), V{});
}

// Lines around and far beyond the sizes the line-end search works in, each end form in turn;
// the answer must be what a byte-by-byte reading gives.
TEST(NextLine, LongLinesSplitAsByteByByte) {
    std::string text;
    std::vector<std::string> expected;
    const char* ends[] = {"\r\n", "\n", "\r"};
    int n = 0;
    for (size_t length : {0u, 1u, 255u, 256u, 257u, 511u, 767u, 1000u, 65535u, 65536u, 70000u, 200000u}) {
        std::string line(length, 'x');
        if (length > 0) line[length / 2] = static_cast<char>('a' + n % 26);
        expected.push_back(line);
        text += line + ends[n++ % 3];
    }
    text += std::string(300000, 'y');  // last line without an end
    expected.push_back(std::string(300000, 'y'));
    EXPECT_EQ(Lines(text), expected);
}

}  // namespace
}  // namespace kestrap
