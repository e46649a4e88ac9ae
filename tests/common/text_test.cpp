#include "common/text.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(LowerCodePoint, MapsLettersOfSeveralScriptsAndLeavesOthers) {
    EXPECT_EQ(lowerCodePoint(U'A'), U'a');
    EXPECT_EQ(lowerCodePoint(U'z'), U'z');
    EXPECT_EQ(lowerCodePoint(U'?'), U'?');
    EXPECT_EQ(lowerCodePoint(U'\u00C9'), U'\u00E9'); // É
    EXPECT_EQ(lowerCodePoint(U'\u00D7'), U'\u00D7'); // × has no case
    EXPECT_EQ(lowerCodePoint(U'\u0100'), U'\u0101'); // alternating Latin Extended-A
    EXPECT_EQ(lowerCodePoint(U'\u0101'), U'\u0101');
    EXPECT_EQ(lowerCodePoint(U'\u0130'), U'i');              // İ: simple mapping
    EXPECT_EQ(lowerCodePoint(U'\u0391'), U'\u03B1');         // Greek Alpha
    EXPECT_EQ(lowerCodePoint(U'\u0416'), U'\u0436');         // Cyrillic Zhe
    EXPECT_EQ(lowerCodePoint(U'\u5199'), U'\u5199');         // 写
    EXPECT_EQ(lowerCodePoint(U'\U00010400'), U'\U00010428'); // Deseret
}

TEST(CompareText, IgnoresCaseAcrossScriptsUnlessBinaryButNotOtherDifferences) {
    EXPECT_EQ(compareText("README.TXT", "readme.txt"), 0);
    EXPECT_EQ(compareText("\xC3\x9C"
                          "bersicht",
                          "\xC3\xBC"
                          "BERSICHT"),
              0); // Ü / ü
    EXPECT_LT(compareText("a", "B"), 0);
    EXPECT_GT(compareText("b", "A"), 0);
    EXPECT_LT(compareText("ab", "abc"), 0);
    EXPECT_GT(compareText("abc", "ab"), 0);
    EXPECT_LT(compareText("z", "\xC3\xA9"), 0); // ASCII sorts before é by code point
    // A stray 0xE9 byte stands for itself, the code point of é in Latin-1.
    EXPECT_EQ(compareText("caf\xE9", "CAF\xC3\xA9"), 0);
    EXPECT_LT(compareText("\x80", "\xFF"), 0);
    EXPECT_NE(compareText("\xFF\xFE", "\xFF"), 0);
    // Texts that share their first bytes: the first difference may fall inside a
    // character (É and é share their lead byte) or after a long shared folder.
    EXPECT_EQ(compareText("/srv/x/caf\xC3\x89.txt", "/srv/x/caf\xC3\xA9.TXT"), 0);
    EXPECT_LT(compareText("/home/user/A/x", "/home/user/a/y"), 0);
    EXPECT_GT(compareText("\xE4\xB8\x80\xE4\xB8\x82", "\xE4\xB8\x80\xE4\xB8\x81"), 0);
    // compareBinary: case-sensitive code point order.
    EXPECT_LT(compareBinary("B", "a"), 0);
    EXPECT_EQ(compareBinary("same", "same"), 0);
    EXPECT_GT(compareBinary("\xC3\xA9", "z"), 0);
}

TEST(Utf8, LowerTextKeepsInvalidBytesAndDecodingRejectsThem) {
    EXPECT_EQ(lowerText("Hello W\xC3\x96RLD \xFF!"), "hello w\xC3\xB6rld \xFF!");
    EXPECT_EQ(lowerText(""), "");
    // A truncated sequence at the end is kept byte for byte.
    EXPECT_EQ(lowerText("A\xC3"), "a\xC3");
    // Decoding rejects overlong forms, surrogates and truncation.
    EXPECT_TRUE(isValidUtf8("plain \xE5\x86\x99\xE7\x9C\x9F"));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));         // overlong "/"
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE5\x86"));         // truncated
    std::string text = "\xF0\x9F\x98\x80";
    std::size_t pos = 0;
    EXPECT_EQ(decodeUtf8(text, pos), U'\U0001F600');
    EXPECT_EQ(pos, 4u);
    std::string round;
    appendUtf8(round, U'\U0001F600');
    EXPECT_EQ(round, text);
}

TEST(BlankAndNumberTexts, TrimmedOnlyOfBlanksAndNumericOnlyWhenWhollyANumber) {
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks("   "), "");
    EXPECT_EQ(trimBlanks("\ta\t"), "\ta\t");
    for (const char* yes : {"10", " 10 ", "-5", "+3", "1.5", ".5", "2e3", "1E+2"}) {
        EXPECT_TRUE(isNumeric(yes)) << yes;
    }
    for (const char* no : {"", " ", "abc", "10KB", "1.2.3", "e5", "-", "1e", "1 0"}) {
        EXPECT_FALSE(isNumeric(no)) << no;
    }
}

TEST(LeadingNumber, ReadsLikeTheStoredTextsAndSaturates) {
    EXPECT_EQ(leadingNumber("42"), 42);
    EXPECT_EQ(leadingNumber("  -7 rest"), -7);
    EXPECT_EQ(leadingNumber("12345.6789"), 12345);
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_EQ(leadingNumber("N/A"), 0);
    EXPECT_EQ(leadingNumber("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(leadingNumber("-99999999999999999999999"), INT64_MIN);
    EXPECT_EQ(leadingNumber("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(leadingNumber32("3000000000"), INT32_MAX);
    EXPECT_EQ(leadingNumber32("-3000000000"), INT32_MIN);
}

} // namespace
} // namespace pw
