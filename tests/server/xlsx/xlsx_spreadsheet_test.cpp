#include "server/xlsx/xlsx_spreadsheet.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/server/xlsx/xlsx_reader.h"

namespace {

using tarsel::SpreadsheetMessage;
using tarsel::TarselError;

using xlsx_test::RecordingOpener;

class XlsxExport : public ::testing::Test {
  protected:
    std::shared_ptr<tarsel::SpreadsheetApplication> Create() {
        return program->CreateApplication(QStringLiteral("Excel.Application"));
    }
    QStringList Files() const {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir folder;
    std::shared_ptr<RecordingOpener> opener = std::make_shared<RecordingOpener>();
    std::shared_ptr<tarsel::SpreadsheetProgram> program =
        tarsel::xlsx::CreateXlsxSpreadsheetProgram({folder.path(), opener});
};

int ErrorNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const TarselError& error) {
        EXPECT_EQ(error.source(), QStringLiteral("Excel.Application"));
        return error.number();
    }
    return 0;
}

TEST_F(XlsxExport, OneValueGivesOneWorkbookWithOneSheetAndOneCell) {
    auto app = Create();
    auto sheet = app->AddWorkbook()->AddWorksheet();
    sheet->SetCell(1, 1, QStringLiteral("'Level 1"));
    EXPECT_TRUE(Files().filter(QStringLiteral("TarselExport")).isEmpty());
    app->SetVisible(true);

    ASSERT_EQ(opener->opened.size(), 1u);
    EXPECT_TRUE(app->VisibilityNotice().isEmpty());
    ASSERT_EQ(Files().size(), 1);
    EXPECT_TRUE(Files().front().startsWith(QStringLiteral("TarselExport-")));
    EXPECT_TRUE(Files().front().endsWith(QStringLiteral(".xlsx")));

    const auto book = xlsx_test::ReadXlsx(opener->opened.front());
    ASSERT_TRUE(book.ok) << book.error.toStdString();
    ASSERT_EQ(book.sheets.size(), 1u);
    ASSERT_EQ(book.sheets[0].cells.size(), 1u);
    EXPECT_EQ(book.sheets[0].cells.at({1, 1}).type, QStringLiteral("s"));
    EXPECT_EQ(book.sheets[0].text(1, 1), QStringLiteral("Level 1"));
}

TEST_F(XlsxExport, ApostropheMarksTextAndPlainNumbersStayNumbers) {
    auto app = Create();
    auto sheet = app->AddWorkbook()->AddWorksheet();
    sheet->SetCell(1, 1, QStringLiteral("'123"));
    sheet->SetCell(1, 2, QStringLiteral("123"));
    sheet->SetCell(1, 3, QStringLiteral("''quoted"));
    sheet->SetCell(1, 4, QStringLiteral("'"));
    sheet->SetCell(1, 5, QString());
    sheet->SetCell(2, 1, QStringLiteral("'Zürich – Sàrl, \"A&B\" <x>"));
    sheet->SetCell(2, 2, QStringLiteral(" 42"));
    sheet->SetCell(2, 3, QStringLiteral("nan"));
    sheet->SetCell(2, 4, QStringLiteral("-inf"));
    sheet->SetCell(3, 16384, QStringLiteral("'last column"));
    app->SetVisible(true);

    const auto book = xlsx_test::ReadXlsx(opener->opened.at(0));
    ASSERT_TRUE(book.ok) << book.error.toStdString();
    const auto& cells = book.sheets.at(0).cells;
    EXPECT_EQ(cells.at({1, 1}).type, QStringLiteral("s"));
    EXPECT_EQ(cells.at({1, 1}).value, QStringLiteral("123"));
    EXPECT_EQ(cells.at({1, 2}).type, QStringLiteral("n"));
    EXPECT_EQ(cells.at({1, 3}).value, QStringLiteral("'quoted"));
    EXPECT_EQ(cells.count({1, 4}), 0u);
    EXPECT_EQ(cells.count({1, 5}), 0u);
    EXPECT_EQ(cells.at({2, 1}).value, QStringLiteral("Zürich – Sàrl, \"A&B\" <x>"));
    EXPECT_EQ(cells.at({2, 2}).type, QStringLiteral("s"));
    EXPECT_EQ(cells.at({2, 3}).value, QStringLiteral("nan"));
    EXPECT_EQ(cells.at({2, 4}).value, QStringLiteral("-inf"));
    EXPECT_EQ(cells.at({3, 16384}).value, QStringLiteral("last column"));
}

TEST_F(XlsxExport, CellsOutsideTheSheetAndOverlongTextsAreRefused) {
    auto app = Create();
    auto sheet = app->AddWorkbook()->AddWorksheet();
    EXPECT_EQ(ErrorNumber([&] { sheet->SetCell(0, 1, QStringLiteral("'x")); }), 1004);
    EXPECT_EQ(ErrorNumber([&] { sheet->SetCell(1, 0, QStringLiteral("'x")); }), 1004);
    EXPECT_EQ(ErrorNumber([&] { sheet->SetCell(1048577, 1, QStringLiteral("'x")); }), 1004);
    EXPECT_EQ(ErrorNumber([&] { sheet->SetCell(1, 16385, QStringLiteral("'x")); }), 1004);
    EXPECT_EQ(ErrorNumber([&] { sheet->SetCell(1, 1, QStringLiteral("'") + QString(40000, 'a')); }),
              1004);
    sheet->SetCell(1048576, 1, QStringLiteral("'last row"));
    app->SetVisible(true);
    // A saved workbook takes no further writes.
    EXPECT_EQ(ErrorNumber([&] { sheet->SetCell(1, 1, QStringLiteral("'late")); }), 1004);
    EXPECT_EQ(xlsx_test::ReadXlsx(opener->opened.at(0)).sheets.at(0).text(1048576, 1),
              QStringLiteral("last row"));
}

TEST_F(XlsxExport, RowsStreamInOrderAndAnEarlierRowIsRefused) {
    auto app = Create();
    auto sheet = app->AddWorkbook()->AddWorksheet();
    // The cells of the row being written come in any column order, as the exports write
    // a row's header cells before its attribute names.
    sheet->SetCell(1, 3, QStringLiteral("'Description"));
    sheet->SetCell(1, 1, QStringLiteral("'Level 1"));
    sheet->SetCell(1, 4, QStringLiteral("'Name"));
    for (int row = 2; row <= 3000; ++row) {
        sheet->SetCell(row, 2, QStringLiteral("'member %1").arg(row));
        sheet->SetCell(row, 1, QStringLiteral("'parent %1").arg(row));
    }
    EXPECT_EQ(ErrorNumber([&] { sheet->SetCell(2999, 1, QStringLiteral("'late")); }), 1004);
    sheet->SetCell(3000, 3, QStringLiteral("'still the last row"));
    app->SetVisible(true);

    // Only the export is left behind: the row store beside it is gone.
    ASSERT_EQ(Files().size(), 1);
    const auto book = xlsx_test::ReadXlsx(opener->opened.at(0));
    ASSERT_TRUE(book.ok) << book.error.toStdString();
    const auto& sheetRead = book.sheets.at(0);
    EXPECT_EQ(sheetRead.cells.size(), 3u + 2u * 2999u + 1u);
    EXPECT_EQ(sheetRead.text(1, 1), QStringLiteral("Level 1"));
    EXPECT_EQ(sheetRead.text(1, 4), QStringLiteral("Name"));
    EXPECT_EQ(sheetRead.text(2, 2), QStringLiteral("member 2"));
    EXPECT_EQ(sheetRead.text(2999, 1), QStringLiteral("parent 2999"));
    EXPECT_EQ(sheetRead.text(3000, 3), QStringLiteral("still the last row"));
}

TEST_F(XlsxExport, UnknownProgramAndMissingFolderCannotBeCreated) {
    EXPECT_EQ(ErrorNumber([&] { program->CreateApplication(QStringLiteral("Word.Application")); }),
              429);
    auto missing = tarsel::xlsx::CreateXlsxSpreadsheetProgram(
        {folder.path() + QStringLiteral("/missing"), opener});
    EXPECT_EQ(ErrorNumber([&] { missing->CreateApplication(QStringLiteral("excel.application")); }),
              429);
}

TEST_F(XlsxExport, ExportsNeverReplaceEarlierFiles) {
    for (int i = 0; i < 3; ++i) {
        auto app = Create();
        app->AddWorkbook()->AddWorksheet()->SetCell(1, 1, QStringLiteral("'export %1").arg(i));
        app->SetVisible(true);
    }
    ASSERT_EQ(opener->opened.size(), 3u);
    EXPECT_EQ(Files().size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(
            xlsx_test::ReadXlsx(opener->opened[static_cast<size_t>(i)]).sheets.at(0).text(1, 1),
            QStringLiteral("export %1").arg(i));
    }
}

TEST_F(XlsxExport, ReleasedWithoutVisibleLeavesNoFile) {
    {
        auto app = Create();
        app->AddWorkbook()->AddWorksheet()->SetCell(1, 1, QStringLiteral("'abandoned"));
    }
    EXPECT_TRUE(Files().isEmpty());
    EXPECT_TRUE(opener->opened.empty());
}

TEST_F(XlsxExport, CompletionMessageComesBeforeTheFileIsOpened) {
    auto app = Create();
    app->AddWorkbook()->AddWorksheet()->SetCell(1, 1, QStringLiteral("'x"));
    std::vector<SpreadsheetMessage> shown;
    size_t openedWhenShown = 99;
    tarsel::CompleteExport(*app, [&](const SpreadsheetMessage& message) {
        shown.push_back(message);
        openedWhenShown = opener->opened.size();
    });
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(openedWhenShown, 0u);
    EXPECT_EQ(opener->opened.size(), 1u);
    EXPECT_EQ(shown[0].title, QStringLiteral("Excel Export"));
    EXPECT_EQ(shown[0].text,
              QStringLiteral("Excel Export Complete.\r\n\r\nPress Ok to view Excel file."));
    EXPECT_EQ(shown[0].kind, SpreadsheetMessage::Kind::Information);
}

TEST_F(XlsxExport, NoProgramToOpenTheFileNamesTheSavedFile) {
    auto failing = std::make_shared<RecordingOpener>(false);
    auto app = tarsel::xlsx::CreateXlsxSpreadsheetProgram({folder.path(), failing})
                   ->CreateApplication(QStringLiteral("Excel.Application"));
    app->AddWorkbook()->AddWorksheet()->SetCell(1, 1, QStringLiteral("'x"));
    std::vector<SpreadsheetMessage> shown;
    tarsel::CompleteExport(*app, [&](const SpreadsheetMessage& m) { shown.push_back(m); });
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].kind, SpreadsheetMessage::Kind::Exclamation);
    ASSERT_EQ(failing->opened.size(), 1u);
    EXPECT_TRUE(shown[1].text.contains(failing->opened[0]));
    EXPECT_TRUE(QFile::exists(failing->opened[0]));
}

// A stand-in xdg-mime first in PATH: it records its arguments and answers as told.
class DesktopTypeDatabase : public ::testing::Test {
  protected:
    DesktopTypeDatabase() : savedPath_(qgetenv("PATH")) {}
    ~DesktopTypeDatabase() override { qputenv("PATH", savedPath_); }

    void Answer(const QString& output, int exitCode) {
        QFile script(bin.filePath(QStringLiteral("xdg-mime")));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1'\nprintf '%2'\nexit %3\n")
                         .arg(bin.filePath(QStringLiteral("asked")), output)
                         .arg(exitCode)
                         .toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(bin.path()));
    }
    QString Asked() const {
        QFile file(bin.filePath(QStringLiteral("asked")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed()
                                              : QString();
    }

    QTemporaryDir bin;
    QTemporaryDir folder;

  private:
    QByteArray savedPath_;
};

TEST_F(DesktopTypeDatabase, OnlyAnEmptyAnswerMeansNoProgram) {
    const QString file = folder.filePath(QStringLiteral("TarselExport-1.xlsx"));
    Answer(QString(), 0);
    EXPECT_TRUE(tarsel::xlsx::NoDefaultProgramFor(file));
    EXPECT_EQ(
        Asked(),
        QStringLiteral(
            "query default application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"));

    Answer(QStringLiteral("libreoffice-calc.desktop\\n"), 0);
    EXPECT_FALSE(tarsel::xlsx::NoDefaultProgramFor(file));
    // A database that cannot answer leaves the decision to the desktop.
    Answer(QString(), 3);
    EXPECT_FALSE(tarsel::xlsx::NoDefaultProgramFor(file));
    qputenv("PATH", QFile::encodeName(folder.path()));
    EXPECT_FALSE(tarsel::xlsx::NoDefaultProgramFor(file));
}

TEST_F(DesktopTypeDatabase, WithoutARegisteredProgramTheMessageNamesTheSavedFile) {
    Answer(QString(), 0);
    auto app = tarsel::xlsx::CreateXlsxSpreadsheetProgram(
                   {folder.path(), tarsel::xlsx::CreateDesktopFileOpener()})
                   ->CreateApplication(QStringLiteral("Excel.Application"));
    app->AddWorkbook()->AddWorksheet()->SetCell(1, 1, QStringLiteral("'x"));
    std::vector<SpreadsheetMessage> shown;
    tarsel::CompleteExport(*app, [&](const SpreadsheetMessage& m) { shown.push_back(m); });
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, tarsel::ExportCompleteText());
    const QStringList saved =
        QDir(folder.path()).entryList({QStringLiteral("TarselExport-*.xlsx")}, QDir::Files);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(shown[1].text.endsWith(QDir::toNativeSeparators(folder.filePath(saved[0]))))
        << shown[1].text.toStdString();
    EXPECT_EQ(shown[1].title, QStringLiteral("Excel Export"));
}

}  // namespace
