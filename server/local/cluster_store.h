#pragma once
// Clusters of the local Tarsel server: a folder under the Tarsel home holding the
// cluster's users (cluster.db) and one SQLite file per application.

#include <QString>
#include <QStringList>
#include <memory>

#include "server/local/app_model.h"

namespace tarsel::local {

// $TARSEL_HOME, else $XDG_DATA_HOME/tarsel, else ~/.local/share/tarsel.
QString TarselHome();

struct UserInfo {
    QString name;
    QStringList applications;  // provisioned
    QStringList adminOf;       // subset with the administrator role
};

class ClusterStore {
  public:
    // Fails (kAlreadyExists / kInvalidName) when the cluster exists or the name is unusable.
    static ClusterStore Create(const QString& home, const QString& cluster);
    // Fails with kUnknownCluster when there is no such cluster.
    static ClusterStore Open(const QString& home, const QString& cluster);
    static QStringList List(const QString& home);

    const QString& name() const { return name_; }
    const QString& path() const { return path_; }

    void AddUser(const QString& user, const QString& password);  // kAlreadyExists
    // The refusals AddUser would give for the name (kInvalidName, kAlreadyExists), so that
    // nobody types a password for a user that cannot be added.
    void CheckNewUser(const QString& user) const;
    // kUnknownUser when the cluster has no such user.
    void CheckUserExists(const QString& user) const;
    void SetPassword(const QString& user, const QString& password);  // kUnknownUser
    // Throws the logon refusals: kUnknownUser, kWrongPassword.
    void CheckPassword(const QString& user, const QString& password) const;
    std::vector<UserInfo> Users() const;
    // kUnknownUser / kUnknownApplication
    void Provision(const QString& user, const QString& application, bool administrator);
    bool IsProvisioned(const QString& user, const QString& application) const;
    bool IsAdministrator(const QString& user, const QString& application) const;

    QStringList Applications() const;
    QStringList ApplicationsOf(const QString& user) const;
    // One transaction: on any failure no application file is left behind.
    void CreateApplication(const QString& name, const AppModel& model);
    // The refusals CreateApplication gives for the name (kInvalidName, kAlreadyExists),
    // before a large file is read for nothing.
    void CheckNewApplication(const QString& name) const;
    // Fails with kUnknownApplication.
    QString ApplicationPath(const QString& name) const;

  private:
    ClusterStore(QString name, QString path) : name_(std::move(name)), path_(std::move(path)) {}
    QString name_;
    QString path_;
};

// Reads an application file back into a model (descriptions, attributes, hierarchy, lists,
// the stored member list file).
AppModel ReadApplicationModel(const QString& applicationPath);

}  // namespace tarsel::local
