#pragma once
// The real Tarsel_Batch program run as the tests of this folder run it, and what the
// application holds as its extracts give it.

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

namespace tarsel::test {

struct BatchRun {
    int exitCode = -1;  // -1: it crashed or did not end
    QString output;     // its standard output
    qint64 ms = 0;      // how long it ran
};

// Runs Tarsel_Batch in folder as user admin with password secret (from the environment,
// with TARSEL_HOME as the caller's), the variables of extra added; inChild, when given,
// runs in the child before the program starts (limits, signal dispositions).
inline BatchRun RunBatch(const QString& folder, const QStringList& arguments,
                         const std::map<QString, QString>& extra = {},
                         std::function<void()> inChild = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TARSEL_USER"), QStringLiteral("admin"));
    env.insert(QStringLiteral("TARSEL_PASSWORD"), QStringLiteral("secret"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    for (const auto& [name, value] : extra) {
        env.insert(name, value);
    }
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    if (inChild) {
        process.setChildProcessModifier(inChild);
    }
    BatchRun run;
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(TARSEL_BATCH_BINARY), arguments);
    if (process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    } else {
        process.kill();
        process.waitForFinished();
    }
    run.ms = timer.elapsed();
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    return run;
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The extract commands of everything an application holds, into name.app, name.lst,
// name.dat (the base data of 2026), name.jlf, name.sec and name.rls.
inline QByteArray ExtractCommands(const QString& name) {
    static const char* const kExtracts[] = {
        "EXTRACT_METADATA %1.app, , APP",
        "EXTRACT_MEMBER_LISTS %1.lst, ",
        "EXTRACT_BASE_DATA %1.dat, , Actual, 2026, 01, 12, FALSE",
        "EXTRACT_JOURNALS %1.jlf, , Actual, 2026, 01, 12, TRUE, TRUE, TRUE",
        "EXTRACT_SECURITY %1.sec, , TRUE, TRUE, TRUE, TRUE",
        "EXTRACT_RULES %1.rls, ",
    };
    QByteArray commands;
    for (const char* extract : kExtracts) {
        commands += QString::fromLatin1(extract).arg(name).toUtf8() + "\r\n";
    }
    return commands;
}

// The files ExtractCommands(name) wrote in folder, one after the other.
inline QByteArray Extracted(const QString& folder, const QString& name) {
    QByteArray all;
    for (const char* ending : {".app", ".lst", ".dat", ".jlf", ".sec", ".rls"}) {
        all += ending + QByteArray("\n") + ReadFile(folder + u'/' + name + QLatin1String(ending));
    }
    return all;
}

}  // namespace tarsel::test
