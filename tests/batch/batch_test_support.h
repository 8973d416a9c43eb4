#pragma once
// Test doubles of the batch program's outside world.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <optional>
#include <ostream>
#include <vector>

#include "batch/mail.h"
#include "batch/timestamps.h"
#include "server/local/application_file.h"
#include "server/tarsel_error.h"

// GoogleTest shows QString values as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tarsel::batch::test {

class FixedClock : public Clock {
  public:
    explicit FixedClock(QDateTime now) : now_(std::move(now)) {}
    // Gives the time set, then runs onNow (which may move the clock or change the world
    // between two log lines).
    QDateTime Now() override {
        const QDateTime now = now_;
        if (onNow) {
            onNow();
        }
        return now;
    }
    std::function<void()> onNow;
    void Set(const QDateTime& now) { now_ = now; }
    void Advance(int seconds) { now_ = now_.addSecs(seconds); }

  private:
    QDateTime now_;
};

// 2026-12-08 (a Tuesday) 06:18:48 local time.
inline QDateTime SampleTime() {
    return QDateTime(QDate(2026, 12, 8), QTime(6, 18, 48));
}

class RecordingMail : public MailTransport {
  public:
    void Send(const MailMessage& message) override {
        sent.push_back(message);
        if (failWith) {
            throw *failWith;
        }
    }
    std::vector<MailMessage> sent;
    std::optional<TarselError> failWith;
};

inline QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("<missing>");
    }
    return QString::fromUtf8(file.readAll());
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}

// Log lines carry the time they were written: compare with it masked.
inline QString MaskTimes(QString text) {
    static const QRegularExpression time(QStringLiteral("\\b\\d\\d:\\d\\d:\\d\\d\\b"));
    static const QRegularExpression date(
        QStringLiteral("\\b[A-Z][a-z]{2}, \\d\\d [A-Z][a-z]{2} \\d{4}\\b"));
    text.replace(time, QStringLiteral("hh:mm:ss"));
    text.replace(date, QStringLiteral("ddd, dd mmm yyyy"));
    return text;
}

// The folder of one end-to-end test: the command files, inputs and outputs of its runs.
class BatchFolder {
  protected:
    QString Path(const QString& name) const { return dir.filePath(name); }
    // Writes the bytes to the file name in the folder; gives its path.
    QString Write(const QString& name, const QByteArray& bytes) {
        WriteBytes(Path(name), bytes);
        return Path(name);
    }
    // The file's bytes, or "<missing>".
    QByteArray Bytes(const QString& name) const {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
};

// One entry of the batch log as MaskTimes shows it: the text line and the arrow lines after
// it.
inline QString LogEntry(const QString& mark, const QString& text, const QStringList& details) {
    QString entry = QStringLiteral("  %1  hh:mm:ss  %2\r\n").arg(mark, text);
    for (const QString& detail : details) {
        entry += QStringLiteral("               -> ") + detail + QStringLiteral("\r\n");
    }
    return entry;
}

// Runs the Tarsel_Batch program at binary on the command file job (its log the derived
// one) in folder, then waits out the local server's freshness pause, so that a session of
// the caller reads the run's commit at its next call.
inline void RunBatchProgram(const QString& binary, const QString& folder, const QString& job) {
    QProcess batch;
    batch.setWorkingDirectory(folder);
    batch.start(binary, {job});
    if (!batch.waitForFinished(120000)) {
        ADD_FAILURE() << "Tarsel_Batch did not end";
    }
    QThread::msleep(local::kFreshnessCheckMs + 20);
}

}  // namespace tarsel::batch::test
