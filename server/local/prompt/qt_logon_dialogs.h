#pragma once

#include <QDialog>

#include "server/local/prompt/logon_prompt.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace tarsel::local {

// The logon dialog of the local Tarsel server.
class LogonDialog : public QDialog {
    Q_OBJECT
  public:
    LogonDialog(const LogonEntry& entry, const QStringList& clusters, const QString& refusal,
                QWidget* parent = nullptr);
    LogonEntry Entry() const;

  private:
    QComboBox* cboCluster_;
    QLineEdit* txtUser_;
    QLineEdit* txtPassword_;
};

// The application dialog: the applications the user may open in the cluster.
class ApplicationDialog : public QDialog {
    Q_OBJECT
  public:
    ApplicationDialog(const QString& cluster, const QString& user, const QStringList& applications,
                      const QString& preselected, const QString& refusal,
                      QWidget* parent = nullptr);
    QString Application() const;

  private:
    QListWidget* lstApplications_;
};

// Shows the two dialogs modally.
class QtLogonDialogs : public LogonDialogs {
  public:
    std::optional<LogonEntry> AskLogon(const LogonEntry& entry, const QStringList& clusters,
                                       const QString& refusal) override;
    std::optional<QString> AskApplication(const QString& cluster, const QString& user,
                                          const QStringList& applications,
                                          const QString& preselected,
                                          const QString& refusal) override;
};

}  // namespace tarsel::local
