#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "batch/bsConstants.h"
#include "batch/commands.h"
#include "batch/dispatch.h"
#include "batch/shell.h"

namespace tarsel::batch {

namespace {

// "In practice no time-out": the utility may run as long as it needs.
constexpr int kNoTimeOut = 20000000;

// The output path without a three-letter extension, or "KARST_" + the output's name, then
// "_karst.log". The prefix goes before the file name, not before the whole path: before
// a path with a folder it would name a folder "KARST_<folder>" that does not exist, and
// every such export would fail to write its configuration file.
QString DefaultUtilityLog(const QString& output) {
    if (output.size() > 4 && output.at(output.size() - 4) == QLatin1Char('.')) {
        return output.left(output.size() - 4) + QStringLiteral("_karst.log");
    }
    const qsizetype nameStart = output.lastIndexOf(QLatin1Char('/')) + 1;
    return output.left(nameStart) + QStringLiteral("KARST_") + output.mid(nameStart) +
           QStringLiteral("_karst.log");
}

// The configuration holds the utility's password in clear text, as the utility requires:
// it is created readable by its owner only, never widened from an earlier file's mode,
// and removed when the object goes, whatever happened in between.
class ConfigurationFile {
  public:
    ConfigurationFile(QString path, const QByteArray& content, const QString& source)
        : path_(std::move(path)), name_(QFile::encodeName(path_)) {
        ::unlink(name_.constData());
        const int fd = ::open(name_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            Fail(source, errno);
        }
        written_ = true;
        const char* data = content.constData();
        qsizetype left = content.size();
        while (left > 0) {
            const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                const int error = errno;
                ::close(fd);
                Fail(source, error);
            }
            data += n;
            left -= n;
        }
        if (::close(fd) != 0) {
            Fail(source, errno);
        }
    }
    ~ConfigurationFile() { Remove(); }
    ConfigurationFile(const ConfigurationFile&) = delete;
    ConfigurationFile& operator=(const ConfigurationFile&) = delete;

    void Remove() {
        if (written_) {
            ::unlink(name_.constData());
            written_ = false;
        }
    }

  private:
    [[noreturn]] void Fail(const QString& source, int error) {
        throw TarselError(error == ENOENT ? err::kPathNotFound : err::kFileAccess, source,
                          QStringLiteral("Cannot write the configuration file %1: %2")
                              .arg(path_, QString::fromLocal8Bit(std::strerror(error))));
    }

    QString path_;
    QByteArray name_;
    bool written_ = false;
};

}  // namespace

void KarstExport(CommandCall& call) {
    const QString source = QString::fromLatin1(call.command.source);
    const QStringList& params = call.params;
    const RunTimestamps& stamps = call.context.stamps;
    const QString program = Param(params, 1);
    const QString user = Param(params, 2);
    const QString password = Param(params, 3);
    const QString server = Param(params, 4);
    const QString givenLog = ReplaceTimestampTokens(Param(params, 5), stamps);
    const QString output = ReplaceTimestampTokens(Param(params, 6), stamps);
    const QString exportName = Param(params, 8);
    const QString current = Param(params, 9);
    const QString previous = Param(params, 10);
    call.entry.AppendToFailureText(exportName.toUpper());

    const QString utilityLog = givenLog.isEmpty() ? DefaultUtilityLog(output) : givenLog;
    call.entry.SetFailureTrailer(utilityLog);
    const QString kind = ReadWord(call, 7);
    const bool book = kind == QLatin1String("BOOK");

    const QString configPath = utilityLog.left(utilityLog.size() - 4) + QStringLiteral(".cfg");
    const QStringList lines = {
        QStringLiteral("[General]"),
        QStringLiteral("Operation=Export"),
        QStringLiteral("UserName=") + user,
        QStringLiteral("Password=") + password,
        QStringLiteral("URL=") + server,
        QStringLiteral("LogFileName=") + utilityLog,
        QString(),
        QStringLiteral("[Export]"),
        QStringLiteral("Operation=Export"),
        book ? QStringLiteral("ExportType=Book") : QStringLiteral("ExportType=Export"),
        (book ? QStringLiteral("BookName=") : QStringLiteral("ExportName=")) + exportName,
        QStringLiteral("OutFile=") + output,
        QStringLiteral("CurrentVersionAbbrev=") + current,
        QStringLiteral("PrevVersionAbbrev=") + previous,
    };
    ConfigurationFile config(configPath, (lines.join(QStringLiteral("\r\n")) + "\r\n").toUtf8(),
                             source);

    QFile::remove(utilityLog);
    const bool started = ShellAndWait({program, QStringLiteral("/cfgfile=") + configPath},
                                      kNoTimeOut, call.context.starter, call.context.clock);
    config.Remove();
    if (StopRequested()) {
        throw TarselError(err::kStopped, source,
                          QStringLiteral("The batch was stopped while the export ran"));
    }
    if (!started) {
        throw TarselError(err::kKarstNotStarted, source,
                          QStringLiteral("Could not connect to Karst."));
    }
    if (!QFileInfo::exists(utilityLog)) {
        throw TarselError(err::kKarstNoLog, source,
                          QStringLiteral("Invalid log file path. Process failed."));
    }
    if (!QFileInfo::exists(output)) {
        throw TarselError(err::kKarstNoOutput, source,
                          QStringLiteral("No export file created. See Karst log for details."));
    }
    call.entry.Succeed(QStringLiteral("Exported book/report from Karst. Name = ") +
                       exportName.toUpper());
}

}  // namespace tarsel::batch
