#include "server/local/prompt/qt_logon_dialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarsel::local {

namespace {

// The reason of the last refusal, above the fields; absent when there is none.
QLabel* RefusalLabel(const QString& refusal, QWidget* parent) {
    auto* label = new QLabel(refusal, parent);
    label->setObjectName(QStringLiteral("lblRefusal"));
    label->setWordWrap(true);
    label->setStyleSheet(QStringLiteral("color: #b00020;"));
    label->setVisible(!refusal.isEmpty());
    return label;
}

QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace

LogonDialog::LogonDialog(const LogonEntry& entry, const QStringList& clusters,
                         const QString& refusal, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("dlgTarselLogon"));
    setWindowTitle(QStringLiteral("Tarsel Logon"));
    cboCluster_ = new QComboBox(this);
    cboCluster_->setObjectName(QStringLiteral("cboCluster"));
    cboCluster_->setEditable(true);
    cboCluster_->addItems(clusters);
    cboCluster_->setCurrentText(entry.cluster.isEmpty() && !clusters.isEmpty() ? clusters.first()
                                                                               : entry.cluster);
    txtUser_ = new QLineEdit(entry.user, this);
    txtUser_->setObjectName(QStringLiteral("txtUser"));
    txtPassword_ = new QLineEdit(this);
    txtPassword_->setObjectName(QStringLiteral("txtPassword"));
    txtPassword_->setEchoMode(QLineEdit::Password);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Cluster:"), cboCluster_);
    form->addRow(QStringLiteral("&User:"), txtUser_);
    form->addRow(QStringLiteral("&Password:"), txtPassword_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RefusalLabel(refusal, this));
    layout->addLayout(form);
    layout->addWidget(OkCancel(this));
    // The caret waits in the first field still to be filled.
    QWidget* first = txtPassword_;
    if (cboCluster_->currentText().isEmpty()) {
        first = cboCluster_;
    } else if (entry.user.isEmpty()) {
        first = txtUser_;
    }
    first->setFocus();
    setMinimumWidth(360);
}

LogonEntry LogonDialog::Entry() const {
    return LogonEntry{cboCluster_->currentText().trimmed(), txtUser_->text().trimmed(),
                      txtPassword_->text()};
}

ApplicationDialog::ApplicationDialog(const QString& cluster, const QString& user,
                                     const QStringList& applications, const QString& preselected,
                                     const QString& refusal, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("dlgTarselOpenApplication"));
    setWindowTitle(QStringLiteral("Open Tarsel Application"));
    auto* lblPrompt = new QLabel(
        applications.isEmpty()
            ? QStringLiteral("The user \"%1\" may open no application of the cluster \"%2\". Ask "
                             "the cluster's administrator to provision the user.")
                  .arg(user, cluster)
            : QStringLiteral("Applications of the cluster \"%1\" that \"%2\" may open:")
                  .arg(cluster, user),
        this);
    lblPrompt->setObjectName(QStringLiteral("lblPrompt"));
    lblPrompt->setWordWrap(true);
    lstApplications_ = new QListWidget(this);
    lstApplications_->setObjectName(QStringLiteral("lstApplications"));
    lstApplications_->addItems(applications);
    const auto matches = lstApplications_->findItems(preselected, Qt::MatchFixedString);
    lstApplications_->setCurrentRow(matches.isEmpty() ? 0 : lstApplications_->row(matches.first()));
    // An empty list would look like a failure to load; the text above says why it is empty.
    lstApplications_->setVisible(!applications.isEmpty());

    auto* buttons = OkCancel(this);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!applications.isEmpty());
    connect(lstApplications_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RefusalLabel(refusal, this));
    layout->addWidget(lblPrompt);
    layout->addWidget(lstApplications_, 1);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

QString ApplicationDialog::Application() const {
    const QListWidgetItem* item = lstApplications_->currentItem();
    return item != nullptr ? item->text() : QString();
}

std::optional<LogonEntry> QtLogonDialogs::AskLogon(const LogonEntry& entry,
                                                   const QStringList& clusters,
                                                   const QString& refusal) {
    LogonDialog dialog(entry, clusters, refusal);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Entry();
}

std::optional<QString> QtLogonDialogs::AskApplication(const QString& cluster, const QString& user,
                                                      const QStringList& applications,
                                                      const QString& preselected,
                                                      const QString& refusal) {
    ApplicationDialog dialog(cluster, user, applications, preselected, refusal);
    if (dialog.exec() != QDialog::Accepted || dialog.Application().isEmpty()) {
        return std::nullopt;
    }
    return dialog.Application();
}

}  // namespace tarsel::local
