// The command file and the command line on any bytes. The command file is read as
// --check reads it (every line through the reader, the keyword table and the parameter
// rules); each finding is one line naming the file. The same bytes, split at NUL bytes,
// are the program's arguments.

#include <QTextStream>

#include "batch/bsTarsel_Batch.h"
#include "batch/check.h"
#include "fuzz/fuzz_support.h"

using namespace tarsel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::ScratchFile file(".txt");
    file.Write(data, size);
    const batch::RunTimestamps stamps =
        batch::RunTimestamps::From(QDateTime(QDate(2026, 12, 8), QTime(2, 0)));
    QString report;
    QTextStream out(&report);
    const int findings = batch::CheckCommandFile(file.path(), stamps, out);
    const QStringList lines = report.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() != findings) {
        fuzz::Finding("the count of findings is not the count of lines", report);
    }
    for (const QString& line : lines) {
        if (!line.startsWith(file.path() + QLatin1Char(':'))) {
            fuzz::Finding("a finding that does not start with the file", line);
        }
    }

    QStringList arguments;
    for (const QByteArray& argument :
         QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))
             .split('\0')) {
        arguments << QString::fromLocal8Bit(argument);
    }
    const QStringList fields = batch::SplitCommandLine(arguments);
    if (!fields.isEmpty()) {
        const QString log = batch::DeriveLogPath(fields.first());
        if (!log.endsWith(QLatin1String(".log"))) {
            fuzz::Finding("a derived log path without .log", log);
        }
        if (!log.startsWith(batch::LogFolder(log))) {
            fuzz::Finding("the log folder is not the start of the log path", log);
        }
    }
    return 0;
}
