#include "utilities/shell/frmDrvDirFil.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QVBoxLayout>

#include "utilities/shell/folder_tree.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"
#include "utilities/shell/save_text.h"

using namespace modGlobal;

namespace {
// The number and text a drive that cannot be read reports.
constexpr int kErrDeviceUnavailable = 68;
const QString kErrorSaving = QStringLiteral("Error Saving File");
}  // namespace

frmDrvDirFil::frmDrvDirFil(QWidget* owner, const QString& startFolder) : QDialog(owner) {
    setObjectName(QStringLiteral("frmDrvDirFil"));
    setWindowTitle(QStringLiteral("Tarsel Utilities - Save File..."));

    DriveBox_ = new QComboBox(this);
    DriveBox_->setObjectName(QStringLiteral("DriveBox"));
    Dirbox_ = new FolderTree(this);
    Dirbox_->setObjectName(QStringLiteral("Dirbox"));
    Filebox_ = new QListWidget(this);
    Filebox_->setObjectName(QStringLiteral("Filebox"));
    auto* lblFileName = new QLabel(QStringLiteral("File Name: "), this);
    lblFileName->setObjectName(QStringLiteral("lblFileName"));
    txtFileName_ = new QLineEdit(this);
    txtFileName_->setObjectName(QStringLiteral("txtFileName"));
    lblFileName->setBuddy(txtFileName_);
    auto* cmdSave = new QPushButton(QStringLiteral("&Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("Ca&ncel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(lblFileName);
    nameRow->addWidget(txtFileName_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);
    auto* lists = new QGridLayout;
    lists->addWidget(DriveBox_, 0, 0);
    lists->addWidget(Dirbox_, 1, 0);
    lists->addWidget(Filebox_, 0, 1, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(nameRow);
    layout->addLayout(buttons);
    resize(640, 420);
    // The name is what is typed most; Enter then saves.
    txtFileName_->setFocus();

    FillDrives();
    const QString folder =
        startFolder.isEmpty() ? QCoreApplication::applicationDirPath() : startFolder;
    connect(Dirbox_, &FolderTree::pathChanged, this, &frmDrvDirFil::Dirbox_Change);
    Dirbox_->SetPath(folder);
    ShowDriveOf(Dirbox_->path());
    RefreshFiles();

    connect(DriveBox_, &QComboBox::activated, this, &frmDrvDirFil::DriveBox_Change);
    connect(Filebox_, &QListWidget::itemClicked, this, &frmDrvDirFil::Filebox_Click);
    // Walking the file list with the arrow keys picks the name as a click does.
    connect(Filebox_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item != nullptr) {
            Filebox_Click(item);
        }
    });
    connect(cmdSave, &QPushButton::clicked, this, &frmDrvDirFil::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDrvDirFil::cmdCancel_Click);
}

void frmDrvDirFil::FillDrives() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && !roots.contains(volume.rootPath())) {
            roots.append(volume.rootPath());
        }
    }
    roots.sort();
    for (const QString& root : roots) {
        DriveBox_->addItem(root, root);
    }
}

void frmDrvDirFil::ShowDriveOf(const QString& path) {
    const QString drive = DriveOf(path);
    int index = DriveBox_->findData(drive);
    if (index < 0) {
        DriveBox_->addItem(drive, drive);
        index = DriveBox_->count() - 1;
    }
    DriveBox_->setCurrentIndex(index);
}

void frmDrvDirFil::DriveBox_Change() {
    const QString drive = DriveBox_->currentData().toString();
    if (Dirbox_->SetRoot(drive)) {
        return;
    }
    // Whatever the answer, the drive list goes back to the folder still shown: the
    // chosen drive cannot be read.
    ui::ShowMessage(this,
                    QStringLiteral("Error: %1: Device unavailable ('%2' cannot be read)")
                        .arg(kErrDeviceUnavailable)
                        .arg(drive),
                    QStringLiteral("Error in setting path"), ui::Buttons::OkCancel, ui::Icon::None);
    ShowDriveOf(Dirbox_->path());
}

void frmDrvDirFil::Dirbox_Change(const QString& /*path*/) {
    RefreshFiles();
}

void frmDrvDirFil::RefreshFiles() {
    Filebox_->clear();
    Filebox_->addItems(ListMatchingFiles(Dirbox_->path(), gSavePattern));
}

void frmDrvDirFil::Filebox_Click(QListWidgetItem* item) {
    txtFileName_->setText(item->text());
}

void frmDrvDirFil::cmdCancel_Click() {
    reject();
}

void frmDrvDirFil::cmdSave_Click() {
    const QString name = txtFileName_->text();
    const QString folder = EnsureTrailingBackslash(Dirbox_->path());
    if (name.trimmed().isEmpty()) {
        ui::ShowMessage(this,
                        QStringLiteral("Unable to save the file in '") + folder +
                            QStringLiteral("': no file name was given. Type a file name."),
                        kErrorSaving, ui::Buttons::Ok, ui::Icon::Exclamation);
        return;
    }
    if (name.contains(QLatin1Char('/'))) {
        ui::ShowMessage(this,
                        QStringLiteral("Unable to save the file '") + folder + name +
                            QStringLiteral("': a file name may not contain '/'. Choose the "
                                           "folder in the folder list."),
                        kErrorSaving, ui::Buttons::Ok, ui::Icon::Exclamation);
        return;
    }
    if (ui::NeedsMemberListExtensionWarning(gSaveMode, name)) {
        const QString text = QStringLiteral(
            "Tarsel will be looking for a file with the .lst file extension when "
            "loading.\r\rYou may save the file with any extension.  This is a "
            "best practices warning.");
        if (ui::ShowMessage(this, text, QStringLiteral("Tarsel Member List Extension"),
                            ui::Buttons::OkCancel, ui::Icon::Exclamation) != ui::Answer::Ok) {
            return;
        }
    }
    const QString path = folder + name;
    if (QFileInfo::exists(path)) {
        const QString text =
            QStringLiteral("The file '") + path +
            QStringLiteral("' already exists.\r\rDo you want to overwrite this file?");
        if (ui::ShowMessage(this, text, QStringLiteral("File Exists"), ui::Buttons::YesNo,
                            ui::Icon::Exclamation) != ui::Answer::Yes) {
            return;
        }
    }
    if (WriteToFile(folder, name)) {
        accept();
    }
}

bool frmDrvDirFil::WriteToFile(const QString& folder, const QString& name) {
    const QString path = folder + name;
    const QString failure = QFileInfo(path).isDir() ? QStringLiteral("it is a folder")
                                                    : ui::SaveTextWithLineEnd(path, gSaveText);
    if (!failure.isEmpty()) {
        ui::ShowMessage(this,
                        QStringLiteral("Unable to save the file '") + path + QStringLiteral("': ") +
                            failure + QStringLiteral(". Nothing was written."),
                        kErrorSaving, ui::Buttons::Ok, ui::Icon::Critical);
        return false;
    }
    ui::ShowMessage(
        this,
        QStringLiteral("Successfully saved member list file to '") + path + QStringLiteral("'."),
        QStringLiteral("File Saved"), ui::Buttons::Ok, ui::Icon::Information);
    return true;
}
