// The Custom2 rewrite against PCRE2 (QRegularExpression) on random lines, and on input
// that is too large, malformed or in the wrong place.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "batch/custom2_rewrite.h"
#include "tests/batch/batch_test_support.h"

namespace tarsel::batch::test {
namespace {

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// What the pattern gives for the text split into lines at LF, CR LF and CR.
QByteArray ByRegularExpression(const QString& text, const QString& value) {
    static const QRegularExpression record(
        QStringLiteral("(.*?;.*?;.*?;.*?;.*?;.*?;.*?;.*?;.*?;).*?(;.*?;.*?;.*)"),
        QRegularExpression::CaseInsensitiveOption);
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QByteArray out = "!DATA\r\n";
    for (const QString& line : normalized.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = record.match(line);
        if (match.hasMatch()) {
            out += (match.captured(1) + value + match.captured(2)).toUtf8() + "\r\n";
        }
    }
    return out;
}

long MaxResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(BatchCustom2, SameAsTheRegularExpressionOnRandomLines) {
    QRandomGenerator random(20261208);
    const QStringList pieces = {"a",      "Z",      "0",     "12.5", " ",      "\t",
                                "é",      "ß",      "中",    "🙂", "[None]", "\u00A0",
                                "\u0085", "\u2028", "\"q\"", ".*?"};
    const QStringList ends = {"\n", "\r\n", "\r", "\r\n", "\n"};
    QString text;
    for (int line = 0; line < 100000; ++line) {
        const int semicolons = static_cast<int>(random.bounded(21));
        for (int field = 0; field <= semicolons; ++field) {
            // Mostly short fields, some empty, now and then a very long one.
            const int roll = static_cast<int>(random.bounded(1000));
            const int length = roll < 150 ? 0 : roll == 999 ? 3000 : static_cast<int>(roll % 6);
            for (int k = 0; k < length; ++k) {
                text += pieces.at(static_cast<qsizetype>(random.bounded(pieces.size())));
            }
            if (field < semicolons) {
                text += QLatin1Char(';');
            }
        }
        text += ends.at(static_cast<qsizetype>(random.bounded(ends.size())));
    }
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.dat"));
    const QString output = dir.filePath(QStringLiteral("out.dat"));
    WriteBytes(input, text.toUtf8());
    const QString value = QStringLiteral("[Ünïcode none]");
    const QByteArray expected = ByRegularExpression(text, value);
    // Small reads put a chunk's end at every place of a line, also inside a character.
    for (const size_t chunk : {size_t{1} << 20, size_t{4093}, size_t{61}}) {
        const Custom2Counts counts = RewriteCustom2(input, output, value.toUtf8(),
                                                    QStringLiteral("DefaultCustom2"), {}, chunk);
        const QByteArray actual = ReadBytes(output);
        ASSERT_EQ(actual.size(), expected.size()) << chunk;
        EXPECT_TRUE(actual == expected) << chunk;
        EXPECT_EQ(counts.records, expected.count("\r\n") - 1);
        EXPECT_GT(counts.records, 30000);
        EXPECT_GT(counts.dropped, 30000);
    }
}

TEST(BatchCustom2, BytesPassThroughAndHugeLinesKeepMemoryFlat) {
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.dat"));
    const QString output = dir.filePath(QStringLiteral("out.dat"));
    const QString source = QStringLiteral("DefaultCustom2");

    // NUL bytes and bytes that are not UTF-8 are copied as they are; CR-only line ends.
    const char odd[] = "n\0l;\xff\xfe;3;4;5;6;7;8;9;ten;11;\x80;13\rshort\0;line\r";
    WriteBytes(input, QByteArray(odd, sizeof odd - 1));
    RewriteCustom2(input, output, "C2", source);
    const char rewritten[] = "!DATA\r\nn\0l;\xff\xfe;3;4;5;6;7;8;9;C2;11;\x80;13\r\n";
    EXPECT_EQ(ReadBytes(output), QByteArray(rewritten, sizeof rewritten - 1));

    // A 1 MiB line of many fields, then 100 MiB without a line break or enough semicolons
    // (taken back after most of it reached the file).
    {
        QFile file(input);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QByteArray wide;
        for (int i = 0; i < 100000; ++i) {
            wide += "field" + QByteArray::number(i % 10) + ";";
        }
        wide.resize(1 << 20, 'w');
        file.write(wide + "\n");
        const QByteArray block(1 << 20, 'x');
        file.write("1;2;3;4;5;6;7;8;9;10;11;");
        for (int i = 0; i < 100; ++i) {
            file.write(block);
        }
    }
    const long before = MaxResidentKilobytes();
    const Custom2Counts counts = RewriteCustom2(input, output, "C2", source);
    EXPECT_LT(MaxResidentKilobytes() - before, 16 * 1024) << "memory grew with the line";
    EXPECT_EQ(counts.records, 1);
    EXPECT_EQ(counts.dropped, 1);
    const QByteArray wide = ReadBytes(output);
    EXPECT_EQ(wide.size(), 7 + (1 << 20) - 4 + 2);  // "field9;" became "C2;"
    EXPECT_TRUE(wide.startsWith("!DATA\r\nfield0;field1;"));
    EXPECT_TRUE(wide.contains("field8;C2;field0;"));
    EXPECT_TRUE(wide.endsWith("ww\r\n"));
}

TEST(BatchCustom2, RefusalsAndFailuresLeaveTheFilesAsTheyWere) {
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.dat"));
    const QString output = dir.filePath(QStringLiteral("out.dat"));
    const QString source = QStringLiteral("DefaultCustom2");
    const QByteArray record = "a;b;c;d;e;f;g;h;i;j;k;l;m\r\n";
    WriteBytes(input, record);
    WriteBytes(output, "earlier output\r\n");
    const auto fails = [&](const QString& from, const QString& to, int number, const char* words,
                           const std::function<bool()>& stop = {}) {
        try {
            RewriteCustom2(from, to, "X", source, stop);
            ADD_FAILURE() << "accepted " << to.toStdString();
        } catch (const TarselError& error) {
            EXPECT_EQ(error.number(), number) << error.description().toStdString();
            EXPECT_EQ(error.source(), source);
            EXPECT_TRUE(error.description().contains(QString::fromUtf8(words)))
                << error.description().toStdString();
        }
    };
    fails(dir.filePath(QStringLiteral("none.dat")), output, 53, "No such file");
    fails(dir.path(), output, 75, "is a folder");
    fails(input, dir.filePath(QStringLiteral("no/such/out.dat")), 76, "No such file");
    fails(input, dir.path(), 75, "is a folder");
    // The input under another spelling, and under another name (a hard link).
    ASSERT_TRUE(QDir().mkdir(dir.filePath(QStringLiteral("x"))));
    fails(input, dir.filePath(QStringLiteral("x/../in.dat")), 75, "is the input file");
    ASSERT_EQ(::link(QFile::encodeName(input).constData(),
                     QFile::encodeName(dir.filePath(QStringLiteral("linked.dat"))).constData()),
              0);
    fails(input, dir.filePath(QStringLiteral("linked.dat")), 75, "is the input file");
    // Stopped half-way: the earlier output stays.
    fails(input, output, 40071, "Stopped", [] { return true; });
    // Writing fails half-way, on the writing thread (here the file size limit): the reason
    // reaches the caller and the earlier output stays.
    {
        const QString many = dir.filePath(QStringLiteral("many.dat"));
        WriteBytes(many, record.repeated(20000));
        rlimit limit{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlimit unlimited = limit;
        limit.rlim_cur = 64 * 1024;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        try {
            RewriteCustom2(many, output, "X", source, {}, 4096);
            ADD_FAILURE() << "a write beyond the limit succeeded";
        } catch (const TarselError& error) {
            EXPECT_EQ(error.number(), 75);
            EXPECT_TRUE(error.description().contains(QStringLiteral("File too large")))
                << error.description().toStdString();
        }
        setrlimit(RLIMIT_FSIZE, &unlimited);
        std::signal(SIGXFSZ, previous);
    }

    EXPECT_EQ(ReadBytes(input), record);
    EXPECT_EQ(ReadBytes(output), "earlier output\r\n");
    QStringList left = QDir(dir.path()).entryList({QStringLiteral("*.tmp-*")});
    EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();

    // An existing output keeps its permissions when replaced.
    QFile::setPermissions(output, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    RewriteCustom2(input, output, "X", source);
    EXPECT_EQ(ReadBytes(output), "!DATA\r\na;b;c;d;e;f;g;h;i;X;k;l;m\r\n");
    EXPECT_EQ(QFile::permissions(output) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
}

}  // namespace
}  // namespace tarsel::batch::test
