// The save-file window: prompts, the bytes written, and failures that keep old files.

#include <sys/resource.h>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <csignal>

#include "tests/utilities/shell/shell_fixture.h"
#include "utilities/shell/folder_tree.h"
#include "utilities/shell/frmDrvDirFil.h"
#include "utilities/shell/save_text.h"

using namespace modGlobal;
using shelltest::ShellTest;

namespace {

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class ShellSaveWindow : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        gSaveText = QStringLiteral("A\r\nB");
        gSavePattern = QStringLiteral("*.lst");
        gSaveMode = QStringLiteral("MEMBERLIST");
    }
    std::unique_ptr<frmDrvDirFil> Open(const QString& folder) {
        auto dialog = std::make_unique<frmDrvDirFil>(nullptr, folder);
        dialog->show();
        return dialog;
    }
    void Save(frmDrvDirFil& dialog, const QString& name) {
        dialog.findChild<QLineEdit*>(QStringLiteral("txtFileName"))->setText(name);
        dialog.findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
    }
    QString In(const QString& name) const { return QDir(temp.path()).filePath(name); }
    QStringList Titles() const {
        QStringList titles;
        for (const auto& box : boxes->shown()) {
            titles << box.title;
        }
        return titles;
    }
};

TEST_F(ShellSaveWindow, WritesTheTextPlusOneLineEndAndConfirms) {
    auto dialog = Open(temp.path());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Tarsel Utilities - Save File..."));
    Save(*dialog, QStringLiteral("lists.lst"));
    EXPECT_EQ(Bytes(In(QStringLiteral("lists.lst"))), QByteArray("A\r\nB\r\n"));
    ASSERT_EQ(Titles(), QStringList{QStringLiteral("File Saved")});
    EXPECT_EQ(boxes->shown()[0].text, QStringLiteral("Successfully saved member list file to '") +
                                          temp.path() + QStringLiteral("/lists.lst'."));
    EXPECT_EQ(boxes->shown()[0].icon, ui::Icon::Information);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ShellSaveWindow, TextEndingInALineBreakEndsInTwo) {
    gSaveMode = QStringLiteral("METADATAEXTRACT");
    gSaveText = QStringLiteral("P;C\r\n");
    auto dialog = Open(temp.path());
    Save(*dialog, QStringLiteral("extract.txt"));
    EXPECT_EQ(Bytes(In(QStringLiteral("extract.txt"))), QByteArray("P;C\r\n\r\n"));
    // Extract mode never warns about the extension.
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("File Saved")});
}

TEST_F(ShellSaveWindow, MemberListExtensionWarning) {
    EXPECT_TRUE(ui::NeedsMemberListExtensionWarning(QStringLiteral(" memberlist "),
                                                    QStringLiteral("a.txt")));
    EXPECT_FALSE(
        ui::NeedsMemberListExtensionWarning(QStringLiteral("MEMBERLIST"), QStringLiteral("a.LST")));
    EXPECT_FALSE(
        ui::NeedsMemberListExtensionWarning(QStringLiteral("MEMBERLIST"), QStringLiteral("a.lst")));
    EXPECT_FALSE(ui::NeedsMemberListExtensionWarning(QStringLiteral("METADATAEXTRACT"),
                                                     QStringLiteral("a.txt")));

    auto dialog = Open(temp.path());
    boxes->setNextAnswer(ui::Answer::Cancel);
    Save(*dialog, QStringLiteral("lists.txt"));
    ASSERT_EQ(Titles(), QStringList{QStringLiteral("Tarsel Member List Extension")});
    EXPECT_EQ(
        boxes->shown()[0].text,
        QStringLiteral("Tarsel will be looking for a file with the .lst file extension when "
                       "loading.\r\rYou may save the file with any extension.  This is a best "
                       "practices warning."));
    EXPECT_EQ(boxes->shown()[0].buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(boxes->shown()[0].icon, ui::Icon::Exclamation);
    EXPECT_FALSE(QFile::exists(In(QStringLiteral("lists.txt"))));
    EXPECT_TRUE(dialog->isVisible());

    boxes->setNextAnswer(ui::Answer::Ok);
    Save(*dialog, QStringLiteral("lists.txt"));
    EXPECT_EQ(Bytes(In(QStringLiteral("lists.txt"))), QByteArray("A\r\nB\r\n"));
}

TEST_F(ShellSaveWindow, OverwriteAsksAndNoKeepsTheFile) {
    WriteBytes(In(QStringLiteral("old.lst")), "old");
    auto dialog = Open(temp.path());
    boxes->setNextAnswer(ui::Answer::No);
    Save(*dialog, QStringLiteral("old.lst"));
    ASSERT_EQ(Titles(), QStringList{QStringLiteral("File Exists")});
    EXPECT_EQ(boxes->shown()[0].text, QStringLiteral("The file '") + temp.path() +
                                          QStringLiteral("/old.lst' already exists.\r\rDo you want "
                                                         "to overwrite this file?"));
    EXPECT_EQ(boxes->shown()[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(Bytes(In(QStringLiteral("old.lst"))), QByteArray("old"));
    EXPECT_TRUE(dialog->isVisible());

    boxes->setNextAnswer(ui::Answer::Yes);
    Save(*dialog, QStringLiteral("old.lst"));
    EXPECT_EQ(Bytes(In(QStringLiteral("old.lst"))), QByteArray("A\r\nB\r\n"));
}

TEST_F(ShellSaveWindow, EmptyOrPathLikeNamesAreRefusedWithTheFolderNamed) {
    auto dialog = Open(temp.path());
    Save(*dialog, QStringLiteral("  "));
    Save(*dialog, QStringLiteral("../escape.lst"));
    ASSERT_EQ(boxes->shown().size(), 2u);
    EXPECT_TRUE(boxes->shown()[0].text.contains(temp.path() + QLatin1Char('/')));
    EXPECT_TRUE(boxes->shown()[1].text.contains(QStringLiteral("may not contain '/'")));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files).size(), 0);
}

TEST_F(ShellSaveWindow, FailedWriteLeavesTheOldFileIntactAndTheWindowOpen) {
    // Files may not grow beyond 16 bytes: the write of a longer text fails for real,
    // whoever runs the test.
    WriteBytes(In(QStringLiteral("keep.lst")), "old contents");
    gSaveText = QString(4096, QLatin1Char('x'));
    auto dialog = Open(temp.path());
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    boxes->setNextAnswer(ui::Answer::Yes);
    Save(*dialog, QStringLiteral("keep.lst"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_EQ(Titles(),
              (QStringList{QStringLiteral("File Exists"), QStringLiteral("Error Saving File")}));
    EXPECT_TRUE(boxes->shown()[1].text.startsWith(QStringLiteral("Unable to save the file '") +
                                                  In(QStringLiteral("keep.lst")) +
                                                  QStringLiteral("': ")));
    EXPECT_EQ(Bytes(In(QStringLiteral("keep.lst"))), QByteArray("old contents"));
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("keep.lst")});
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(ShellSaveWindow, FolderThatVanishedGetsAMessage) {
    const QString gone = In(QStringLiteral("gone"));
    ASSERT_TRUE(QDir().mkpath(gone));
    auto dialog = Open(gone);
    ASSERT_TRUE(QDir(gone).removeRecursively());
    Save(*dialog, QStringLiteral("x.lst"));
    ASSERT_EQ(Titles(), QStringList{QStringLiteral("Error Saving File")});
    EXPECT_TRUE(boxes->shown()[0].text.contains(gone + QStringLiteral("/x.lst")));
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(ShellSaveWindow, FileListFollowsFolderAndFillsTheName) {
    ASSERT_TRUE(QDir(temp.path()).mkpath(QStringLiteral("sub")));
    WriteBytes(In(QStringLiteral("b.lst")), "");
    WriteBytes(In(QStringLiteral("a.lst")), "");
    WriteBytes(In(QStringLiteral("c.txt")), "");
    WriteBytes(In(QStringLiteral("sub/d.lst")), "");
    auto dialog = Open(temp.path());
    auto* files = dialog->findChild<QListWidget*>(QStringLiteral("Filebox"));
    auto* folders = dialog->findChild<FolderTree*>(QStringLiteral("Dirbox"));
    ASSERT_NE(files, nullptr);
    ASSERT_NE(folders, nullptr);
    EXPECT_EQ(folders->path(), temp.path());
    ASSERT_EQ(files->count(), 2);
    EXPECT_EQ(files->item(0)->text(), QStringLiteral("a.lst"));
    EXPECT_EQ(files->item(1)->text(), QStringLiteral("b.lst"));
    emit files->itemClicked(files->item(1));
    EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("txtFileName"))->text(),
              QStringLiteral("b.lst"));

    folders->SetPath(In(QStringLiteral("sub")));
    ASSERT_EQ(files->count(), 1);
    EXPECT_EQ(files->item(0)->text(), QStringLiteral("d.lst"));
    Save(*dialog, QStringLiteral("new.lst"));
    EXPECT_EQ(Bytes(In(QStringLiteral("sub/new.lst"))), QByteArray("A\r\nB\r\n"));
}

TEST_F(ShellSaveWindow, CancelWritesNothing) {
    auto dialog = Open(temp.path());
    dialog->findChild<QLineEdit*>(QStringLiteral("txtFileName"))->setText(QStringLiteral("x.lst"));
    dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(QFile::exists(In(QStringLiteral("x.lst"))));
    EXPECT_TRUE(boxes->shown().empty());
}

}  // namespace

namespace {

TEST_F(ShellSaveWindow, UnreadableDriveIsReportedAndTheListGoesBack) {
    auto dialog = Open(temp.path());
    auto* drives = dialog->findChild<QComboBox*>(QStringLiteral("DriveBox"));
    auto* folders = dialog->findChild<FolderTree*>(QStringLiteral("Dirbox"));
    const QString before = drives->currentText();
    drives->addItem(QStringLiteral("/no/such/drive"), QStringLiteral("/no/such/drive"));
    drives->setCurrentIndex(drives->count() - 1);
    emit drives->activated(drives->currentIndex());
    ASSERT_EQ(Titles(), QStringList{QStringLiteral("Error in setting path")});
    EXPECT_TRUE(boxes->shown()[0].text.startsWith(QStringLiteral("Error: 68: ")));
    EXPECT_EQ(boxes->shown()[0].buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(boxes->shown()[0].icon, ui::Icon::None);
    EXPECT_EQ(drives->currentText(), before);
    EXPECT_EQ(folders->path(), temp.path());
}

}  // namespace

namespace {

TEST_F(ShellSaveWindow, KeyboardAloneChoosesAFileAndSaves) {
    WriteBytes(In(QStringLiteral("Budget.lst")), "old");
    WriteBytes(In(QStringLiteral("actuals.LST")), "");
    WriteBytes(In(QStringLiteral("notes.txt")), "");
    auto dialog = Open(temp.path());
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("txtFileName"));
    auto* files = dialog->findChild<QListWidget*>(QStringLiteral("Filebox"));
    EXPECT_EQ(dialog->focusWidget(), name);
    // The pattern takes either case of the extension; the list reads alphabetically.
    ASSERT_EQ(files->count(), 2);
    EXPECT_EQ(files->item(0)->text(), QStringLiteral("actuals.LST"));
    EXPECT_EQ(files->item(1)->text(), QStringLiteral("Budget.lst"));

    files->setFocus();
    QTest::keyClick(files, Qt::Key_Down);
    QTest::keyClick(files, Qt::Key_Down);
    EXPECT_EQ(name->text(), QStringLiteral("Budget.lst"));
    boxes->setNextAnswer(ui::Answer::No);
    QTest::keyClick(files, Qt::Key_Return);
    EXPECT_EQ(Titles(), QStringList{QStringLiteral("File Exists")});
    EXPECT_EQ(Bytes(In(QStringLiteral("Budget.lst"))), QByteArray("old"));
    EXPECT_TRUE(dialog->isVisible());

    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(Bytes(In(QStringLiteral("Budget.lst"))), QByteArray("A\r\nB\r\n"));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(ShellSaveWindow, EscapeClosesWithoutWriting) {
    auto dialog = Open(temp.path());
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("txtFileName"));
    name->setText(QStringLiteral("x.lst"));
    QTest::keyClick(name, Qt::Key_Escape);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(QFile::exists(In(QStringLiteral("x.lst"))));
}

}  // namespace
