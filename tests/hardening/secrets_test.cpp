// What the programs write about their secrets: a night's run with a unique password for
// every secret it handles, then a search of everything it wrote, mailed, stored, said and
// showed in the process list; and the modes of the cluster's folder and files.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <atomic>
#include <mutex>
#include <thread>

#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel::test {
namespace {

QByteArray Unique(const char* what) {
    return QByteArray(what) + '-' +
           QByteArray::number(QRandomGenerator::system()->generate64(), 36);
}

// Every command line of the machine's processes seen while it runs, sampled often.
class ProcessListWatch {
  public:
    ProcessListWatch()
        : thread_([this] {
              while (!stop_) {
                  QDirIterator entries(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
                  while (entries.hasNext()) {
                      QFile cmdline(entries.next() + QStringLiteral("/cmdline"));
                      if (cmdline.open(QIODevice::ReadOnly)) {
                          const QByteArray line = cmdline.readAll();
                          const std::lock_guard lock(mutex_);
                          seen_.insert(line);
                      }
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(2));
              }
          }) {}
    ~ProcessListWatch() {
        stop_ = true;
        thread_.join();
    }
    QByteArray All() {
        const std::lock_guard lock(mutex_);
        QByteArray all;
        for (const QByteArray& line : seen_) {
            all += line + '\n';
        }
        return all;
    }

  private:
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    QSet<QByteArray> seen_;
    std::thread thread_;
};

struct Output {
    QByteArray said;  // standard output and error
    int exitCode = -1;
};

Output RunBatch(const QString& folder, const QString& commandFile, const QByteArray& password) {
    QProcess batch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TARSEL_USER"), QStringLiteral("admin"));
    env.insert(QStringLiteral("TARSEL_PASSWORD"), QString::fromLatin1(password));
    batch.setProcessEnvironment(env);
    batch.setWorkingDirectory(folder);
    batch.setProcessChannelMode(QProcess::MergedChannels);
    batch.start(QStringLiteral(TARSEL_BATCH_BINARY), {commandFile});
    Output output;
    if (batch.waitForFinished(120000)) {
        output.exitCode = batch.exitCode();
    }
    output.said = batch.readAll();
    return output;
}

// Every file under folder but the ones named, each as "path: bytes".
QByteArray FilesUnder(const QString& folder, const QStringList& except = {}) {
    QByteArray all;
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (except.contains(files.fileName())) {
            continue;
        }
        QFile file(path);
        all += path.toUtf8() + ": " + (file.open(QIODevice::ReadOnly) ? file.readAll() : "") + '\n';
    }
    return all;
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(HardeningSecrets, NoPasswordLeavesTheProgramsAndTheClusterIsItsOwnersOnly) {
    const QByteArray password = Unique("tarsel");
    const QByteArray wrongPassword = Unique("wrong");
    const QByteArray karstPassword = Unique("karst");
    const QByteArray smtpPassword = Unique("smtp");
    LocalServerOptions options;
    options.password = QString::fromLatin1(password);
    LocalServer server(
        AppBuilder().Relate(Dimension::Entity, QString(), QStringLiteral("World")).Build(),
        options);
    QTemporaryDir work;
    QTemporaryDir mailbox;
    QProcess sink;
    sink.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral(SMTP_SINK_SCRIPT), mailbox.path()});
    ASSERT_TRUE(sink.waitForReadyRead(20000)) << "the SMTP server did not start";
    const QByteArray port = sink.readLine().trimmed().mid(5);
    const QByteArray mail = "SEND_MAIL 127.0.0.1:" + port + ", batch@example.com, " + smtpPassword +
                            ", ops@example.com, Nightly\r\n";

    // The utility, slowed down so that the process list shows its command line.
    const QString utility = work.filePath("slow-karst");
    Write(utility, "#!/bin/sh\nsleep 0.3\nexec " KARST_STUB_BINARY " \"$@\"\n");
    QFile::setPermissions(utility, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Write(work.filePath("broken.app"), "!FILE_FORMAT=1\r\n!MEMBERS=Nowhere\r\nx\r\n");
    Write(work.filePath("night.txt"),
          "LOGON TestCluster, TestApp\r\n"
          "LOAD_METADATA broken.app, load.log, MERGE, FALSE\r\n"
          "EXTRACT_METADATA out.app, extract.log, APP\r\n"
          "KARST_EXPORT ./slow-karst, karst-user, " +
              karstPassword +
              ", https://karst.example.com, , export.dat, Book, Nightly, V2, V1\r\n" + mail);
    Write(work.filePath("refused.txt"), "LOGON TestCluster, TestApp\r\n" + mail);
    Output night;
    Output refused;
    QByteArray processList;
    {
        ProcessListWatch watch;
        night = RunBatch(work.path(), QStringLiteral("night.txt"), password);
        refused = RunBatch(work.path(), QStringLiteral("refused.txt"), wrongPassword);
        processList = watch.All();
    }
    sink.closeWriteChannel();
    sink.waitForFinished(10000);

    // The run did what it was asked, so there was something to leak.
    EXPECT_EQ(night.exitCode, 1) << night.said.constData();  // the broken load
    const QByteArray written =
        FilesUnder(work.path(), {QStringLiteral("night.txt"), QStringLiteral("refused.txt")});
    EXPECT_TRUE(written.contains("export.dat")) << "the export did not run";
    EXPECT_TRUE(QFile::exists(work.filePath("load.log")));
    const QByteArray mailed = FilesUnder(mailbox.path());
    EXPECT_TRUE(mailed.contains("mail2.json")) << "both runs mail their log";
    EXPECT_TRUE(processList.contains("/cfgfile=")) << "the utility was not seen running";

    const QByteArray stored = FilesUnder(server.home());
    for (const QByteArray& secret : {password, wrongPassword, karstPassword, smtpPassword}) {
        EXPECT_FALSE(written.contains(secret)) << "written: " << secret.constData();
        EXPECT_FALSE(mailed.contains(secret)) << "mailed: " << secret.constData();
        EXPECT_FALSE(mailed.contains(secret.toBase64())) << "mailed: " << secret.constData();
        EXPECT_FALSE(stored.contains(secret)) << "stored: " << secret.constData();
        EXPECT_FALSE(night.said.contains(secret) || refused.said.contains(secret))
            << "said: " << secret.constData();
        EXPECT_FALSE(processList.contains(secret)) << "process list: " << secret.constData();
    }

    // The cluster after a load, an extract and two logons, with a session open so that the
    // SQLite journals are there too: its folder and every file in it are the owner's only.
    ASSERT_TRUE(server.Session());
    const QString cluster = server.store().path();
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(cluster).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << cluster.toStdString();
    QDirIterator files(cluster, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    QStringList seen;
    while (files.hasNext()) {
        const QString path = files.next();
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u) << path.toStdString();
        seen << files.fileName();
    }
    EXPECT_TRUE(seen.contains(QStringLiteral("TestApp.tapp-wal"))) << seen.join(' ').toStdString();
}

}  // namespace
}  // namespace tarsel::test
