#pragma once
// The local server's ApplicationSession, for the local loaders, extracts and calculation
// that need the file and the logged-on user behind a session they were given.

#include <memory>

#include "server/local/application_file.h"
#include "server/local/format/security_file.h"
#include "server/local/security_store.h"
#include "server/tarsel.h"

namespace tarsel::local {

// Answers the metadata, system information and security of one open application. The
// administration and calculation objects are left to the library entry, which names their
// classes: a program without them does not link.
class LocalApplicationSession : public ApplicationSession,
                                public std::enable_shared_from_this<LocalApplicationSession> {
  public:
    LocalApplicationSession(std::shared_ptr<ApplicationFile> file, QString clusterPath,
                            QString userName, bool administrator);

    std::shared_ptr<tarsel::SystemInfo> SystemInfo() override;
    std::shared_ptr<SessionMetadata> Metadata() override;
    std::shared_ptr<tarsel::Security> Security() override;

    const std::shared_ptr<ApplicationFile>& file() const { return file_; }
    const QString& clusterPath() const { return clusterPath_; }
    const QString& userName() const { return userName_; }
    // Loads, extracts and calculations are for administrators of the application only.
    bool isAdministrator() const { return administrator_; }
    // Throws kAccessDenied naming the user and what was refused unless administrator.
    void RequireAdministrator(const QString& operation) const;
    // Throws kAccessDenied naming the user, the role and operation unless the user may run
    // it: an administrator of the application (by provisioning, or by the Administrator
    // role) may run everything; in an application that grants no role to anybody only an
    // administrator may; otherwise the user needs role, given to it or to one of its
    // groups. The roles of the operations: format::Role (Data for data loads, scans and
    // extracts, Journals, Consolidation, Calculation, InvalidRecords, ...).
    void RequireRole(format::Role role, const QString& operation) const;
    // The security classes whose cells the user may write (REPLACE WITH SECURITY); every
    // class for an administrator and in an application without class access.
    WritableClasses WritableSecurityClasses() const;

  private:
    std::shared_ptr<ApplicationFile> file_;
    QString clusterPath_;
    QString userName_;
    bool administrator_;
    std::shared_ptr<tarsel::SystemInfo> systemInfo_;
    std::shared_ptr<SessionMetadata> metadata_;
    std::shared_ptr<tarsel::Security> security_;
};

// The session behind a handle, or nullptr when the handle is not a local session.
std::shared_ptr<LocalApplicationSession> AsLocalSession(
    const std::shared_ptr<ApplicationSession>& session);

// "<what> is not available in this build of the local Tarsel server." as kNotImplemented:
// the one answer of a part of the server that is not built yet.
[[noreturn]] void ThrowNotAvailable(const QString& what);

}  // namespace tarsel::local
