#pragma once

#include <QDialog>

class FolderTree;
class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

// The save-file window: writes gSaveText to a file the user picks (drive, folder, name),
// with the member-list extension warning and the overwrite prompt. Shown modally; the
// window writes the file itself and closes only after a successful save or on Cancel.
class frmDrvDirFil : public QDialog {
    Q_OBJECT
  public:
    // startFolder empty: the folder of the running program.
    explicit frmDrvDirFil(QWidget* owner = nullptr, const QString& startFolder = {});

  private:
    void DriveBox_Change();
    void Dirbox_Change(const QString& path);
    void Filebox_Click(QListWidgetItem* item);
    void cmdSave_Click();
    void cmdCancel_Click();
    // Writes and confirms; false (window stays open) when the file could not be written.
    bool WriteToFile(const QString& folder, const QString& name);
    void FillDrives();
    void ShowDriveOf(const QString& path);
    void RefreshFiles();

    QComboBox* DriveBox_ = nullptr;
    FolderTree* Dirbox_ = nullptr;
    QListWidget* Filebox_ = nullptr;
    QLineEdit* txtFileName_ = nullptr;
};
