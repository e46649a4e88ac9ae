// The session format's building blocks: field escaping, splitting and the bounded line
// reader.

#include "session/session_codec.h"
#include "support/temp_tree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace pw {
namespace {

TEST(SessionFieldEscape, SeparatorsLineEndsAndPercentBecomeHexEscapes) {
    EXPECT_EQ(escapeSessionField("a,b?c%d\r\ne"), "a%2Cb%3Fc%25d%0D%0Ae");
    EXPECT_EQ(escapeSessionField("plain name.txt"), "plain name.txt");
    // A leading ";" is escaped only where it would open the result section.
    EXPECT_EQ(escapeSessionField(";x;", true), "%3Bx;");
    EXPECT_EQ(escapeSessionField(";x;", false), ";x;");
}

TEST(SessionFieldEscape, DamagedEscapesStayAsTheyAre) {
    EXPECT_EQ(unescapeSessionField("100%"), "100%");
    EXPECT_EQ(unescapeSessionField("%4"), "%4");
    EXPECT_EQ(unescapeSessionField("%zz%2c"), "%zz,");
    EXPECT_EQ(unescapeSessionField("%%41"), "%A");
}

TEST(SessionFields, SplitKeepsEmptyFieldsAtBothEnds) {
    EXPECT_EQ(splitFields("", ',').size(), 1u);
    EXPECT_EQ(splitFields(",a,,b,", ','), (std::vector<std::string_view>{"", "a", "", "b", ""}));
}

std::vector<std::string> readAll(LineReader& reader, LineReader::Status& last) {
    std::vector<std::string> lines;
    std::string line;
    while ((last = reader.next(line)) == LineReader::Status::Line) {
        lines.push_back(line);
    }
    return lines;
}

TEST(SessionLineReader, CrLfAndLfLinesReadAlikeAndTheLastMayLackItsEnd) {
    for (const std::string text : {"a\r\nb\r\n\r\nc", "a\nb\n\nc\n", "a\r\nb\n\r\nc\r\n"}) {
        LineReader reader(text);
        LineReader::Status last{};
        EXPECT_EQ(readAll(reader, last), (std::vector<std::string>{"a", "b", "", "c"})) << text;
        EXPECT_EQ(last, LineReader::Status::End);
        EXPECT_EQ(reader.lineNumber(), 4);
    }
}

TEST(SessionLineReader, NulBytesAndLoneCarriageReturnsStayInTheLine) {
    const std::string text("x\0y\rz\n", 6);
    LineReader reader(text);
    std::string line;
    ASSERT_EQ(reader.next(line), LineReader::Status::Line);
    EXPECT_EQ(line, std::string("x\0y\rz", 5));
}

TEST(SessionLineReader, ALineLongerThanOneMebibyteStopsTheReading) {
    const std::string exact(LineReader::kMaxLineBytes, 'x');
    const std::string text = "first\r\n" + exact + "\r\n" + exact + "y\r\nnever\r\n";
    LineReader reader(text);
    LineReader::Status last{};
    const auto lines = readAll(reader, last);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].size(), LineReader::kMaxLineBytes);
    EXPECT_EQ(last, LineReader::Status::TooLong);
    std::string line;
    EXPECT_EQ(reader.next(line), LineReader::Status::End);
}

TEST(SessionLineReader, AFileReadsInChunksAsMemoryDoes) {
    test::TempTree tree;
    // Lines that straddle the reader's 64 KiB chunks.
    std::string text;
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i) {
        expected.push_back(std::string(static_cast<std::size_t>(i * 37 % 5000), 'a' + i % 26));
        text += expected.back() + (i % 2 == 0 ? "\r\n" : "\n");
    }
    const std::string path = tree.addFile("lines.txt", text);
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    LineReader reader(fd);
    LineReader::Status last{};
    EXPECT_EQ(readAll(reader, last), expected);
    EXPECT_EQ(last, LineReader::Status::End);
    ::close(fd);
}

TEST(SessionLineReader, AFolderIsAReadErrorNotALine) {
    test::TempTree tree;
    const int fd = ::open(tree.root().c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    LineReader reader(fd);
    std::string line;
    EXPECT_EQ(reader.next(line), LineReader::Status::Error);
    EXPECT_NE(reader.error(), 0);
    ::close(fd);
}

} // namespace
} // namespace pw
