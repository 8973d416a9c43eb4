#pragma once
// What the local loaders share: the bound session, the numbered option collections, the
// load log and the writing of output files.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <map>
#include <memory>
#include <vector>

#include "server/local/format/file_problem.h"
#include "server/local/local_session.h"
#include "server/tarsel.h"

namespace tarsel::local {

// The session a loader is bound to.
class BoundSession {
  public:
    // Fails with kNoSession for a session that is not the local server's.
    void Bind(const std::shared_ptr<ApplicationSession>& session);
    // The bound session of a user allowed to run operation with role
    // (LocalApplicationSession::RequireRole); kNoSession before Bind, kAccessDenied for a
    // user without the role.
    LocalApplicationSession& Require(format::Role role, const QString& operation) const;

  private:
    LocalApplicationSession& Bound() const;  // kNoSession before Bind
    std::shared_ptr<LocalApplicationSession> session_;
};

// How an option is declared: its index, its default (which fixes its kind) and, for an
// integer, the values it takes (empty: any).
struct DeclaredOption {
    int32_t index;
    OptionValue initial;
    std::vector<int32_t> allowed;
};

// A loader's option collection; the options keep their values as long as the collection.
class OptionSet final : public LoadOptions {
  public:
    OptionSet(std::initializer_list<DeclaredOption> declared, QString loader);
    std::shared_ptr<LoadOption> Item(int32_t index) override;

    bool Bool(int32_t index) const;
    int32_t Int(int32_t index) const;
    IdArray Ids(int32_t index) const;

  private:
    std::map<int32_t, std::shared_ptr<LoadOption>> options_;
    QString loader_;
};

// The load log of one load or extract. Error lines begin with "Error:"; every other line
// leaves the word out, so that a reader may search the log for it.
class LoadLog {
  public:
    explicit LoadLog(QString path) : path_(std::move(path)) {}

    void Error(const QString& file, int line, const QString& reason);
    void Warning(const QString& file, int line, const QString& reason);
    // A client error's text as it stands (it names the file and the line itself).
    void ErrorText(const QString& text);
    void Note(const QString& text);
    // Each problem of a checker as an error or a warning line of file.
    void Problems(const QString& file, const std::vector<format::FileProblem>& problems);

    int errors() const { return errors_; }
    int warnings() const { return warnings_; }

    // Writes the lines and a closing count to the path, replacing the file; fails with
    // kFileUnwritable.
    void Write();
    // Writes the log, then refuses the load with kMalformedFile: "The <kind> file <file>
    // has <n> error(s), listed in the load log <log>; nothing was stored."
    [[noreturn]] void RefuseFile(const QString& kind, const QString& file);

  private:
    QString path_;
    QStringList lines_;
    int errors_ = 0;
    int warnings_ = 0;
};

}  // namespace tarsel::local
