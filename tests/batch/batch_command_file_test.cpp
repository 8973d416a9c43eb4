#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "batch/command_file.h"
#include "server/tarsel_error.h"
#include "tests/batch/batch_test_support.h"

namespace tarsel::batch::test {
namespace {

std::vector<CommandFileLine> ReadAll(const QByteArray& bytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cmd.txt"));
    WriteBytes(path, bytes);
    CommandFileReader reader(path);
    std::vector<CommandFileLine> lines;
    CommandFileLine line;
    while (reader.Next(line)) {
        lines.push_back(line);
    }
    return lines;
}

QStringList Texts(const std::vector<CommandFileLine>& lines) {
    QStringList texts;
    for (const auto& line : lines) {
        texts << line.text;
    }
    return texts;
}

TEST(BatchCommandFile, EveryLineEndStyle) {
    EXPECT_EQ(Texts(ReadAll("a\r\nb\rc\nd")), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(Texts(ReadAll("a\r\n\r\n\rb\r\n")), (QStringList{"a", "", "", "b"}));
    EXPECT_EQ(Texts(ReadAll("")), QStringList());
    EXPECT_EQ(Texts(ReadAll("\r")), QStringList{""});
    EXPECT_EQ(Texts(ReadAll("\xEF\xBB\xBFLOGON x")), QStringList{"LOGON x"});
    const auto numbered = ReadAll("a\rb\rc");
    EXPECT_EQ(numbered.back().number, 3);
}

TEST(BatchCommandFile, LineEndsAcrossReadChunks) {
    // A CR LF pair split by the reader's 64 KiB chunks is still one line end.
    QByteArray bytes(64 * 1024 - 1, 'x');
    bytes += "\r\nnext\r\n";
    const auto lines = ReadAll(bytes);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text.size(), 64 * 1024 - 1);
    EXPECT_EQ(lines[1].text, "next");

    const QByteArray huge = QByteArray(1024 * 1024, 'y') + "\rtail";
    const auto long_lines = ReadAll(huge);
    ASSERT_EQ(long_lines.size(), 2u);
    EXPECT_EQ(long_lines[0].text.size(), 1024 * 1024);
    EXPECT_EQ(long_lines[1].text, "tail");
}

TEST(BatchCommandFile, BadBytesAreNamedPerLine) {
    const char raw[] = "LOGON ok\r\nLOAD_DATA caf\xE9\r\nX\0Y\r\nfine";
    const auto lines = ReadAll(QByteArray(raw, sizeof(raw) - 1));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[0].problem.isEmpty());
    EXPECT_EQ(lines[1].problem, "the line is not valid UTF-8");
    EXPECT_EQ(lines[1].number, 2);
    EXPECT_EQ(lines[2].problem, "the line contains a NUL character");
    EXPECT_TRUE(lines[3].problem.isEmpty());
}

TEST(BatchCommandFile, UnopenableFileNamesIt) {
    try {
        CommandFileReader reader(QStringLiteral("/no/such/dir/cmd.txt"));
        ADD_FAILURE();
    } catch (const TarselError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("/no/such/dir/cmd.txt")));
    }
}

}  // namespace
}  // namespace tarsel::batch::test
