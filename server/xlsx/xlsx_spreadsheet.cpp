#include "server/xlsx/xlsx_spreadsheet.h"

#include <cmath>

#include <xlsxwriter.h>

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>
#include <vector>

namespace tarsel::xlsx {

namespace {

[[noreturn]] void Fail(int32_t number, const QString& description) {
    throw TarselError(number, QString::fromLatin1(kSpreadsheetSource), description);
}

QString LibraryError(lxw_error error) {
    return QString::fromUtf8(lxw_strerror(error));
}

class DesktopFileOpener : public FileOpener {
  public:
    bool Open(const QString& path) override {
        if (NoDefaultProgramFor(path)) {
            return false;
        }
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
};

// One workbook file: written to a hidden temporary name first, renamed to its final
// name only when complete, so a failed export never leaves a file that looks finished.
class WorkbookFile {
  public:
    explicit WorkbookFile(const QString& folder) : folder_(folder) {
        QTemporaryFile temporary(folder + QStringLiteral("/.tarsel-export-XXXXXX.xlsx"));
        temporary.setAutoRemove(false);
        if (!temporary.open()) {
            Fail(spreadsheet_error::kCannotCreate,
                 QStringLiteral("Cannot create a spreadsheet file in %1: %2")
                     .arg(QDir::toNativeSeparators(folder), temporary.errorString()));
        }
        temporaryPath_ = temporary.fileName();
        temporary.close();
        // Constant memory: each row goes to disk when the next one starts, so an export of
        // a million rows holds one row at a time. Its scratch files sit beside the export
        // rather than in a temporary folder that may live in memory.
        scratchFolder_ = QFile::encodeName(folder);
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = scratchFolder_.data();
        workbook_ = workbook_new_opt(QFile::encodeName(temporaryPath_).constData(), &options);
        if (workbook_ == nullptr) {
            QFile::remove(temporaryPath_);
            Fail(spreadsheet_error::kCannotCreate,
                 QStringLiteral("Cannot create a spreadsheet workbook in %1.")
                     .arg(QDir::toNativeSeparators(folder)));
        }
    }
    WorkbookFile(const WorkbookFile&) = delete;
    WorkbookFile& operator=(const WorkbookFile&) = delete;
    ~WorkbookFile() {
        if (workbook_ != nullptr) {
            lxw_workbook_free(workbook_);
            QFile::remove(temporaryPath_);
        }
    }

    lxw_worksheet* AddSheet() {
        RequireOpen();
        lxw_worksheet* sheet = workbook_add_worksheet(workbook_, nullptr);
        if (sheet == nullptr) {
            Fail(spreadsheet_error::kWriteFailed, QStringLiteral("Cannot add a worksheet."));
        }
        return sheet;
    }

    void RequireOpen() const {
        if (workbook_ == nullptr) {
            Fail(spreadsheet_error::kWriteFailed,
                 QStringLiteral("The workbook was already saved as %1.")
                     .arg(QDir::toNativeSeparators(savedPath_)));
        }
    }

    bool saved() const { return workbook_ == nullptr; }
    const QString& savedPath() const { return savedPath_; }

    // Writes the file and gives it the first free name of the form
    // TarselExport-<date>-<time>[-<n>].xlsx.
    void Save() {
        RequireOpen();
        const lxw_error error = workbook_close(workbook_);
        workbook_ = nullptr;
        if (error != LXW_NO_ERROR) {
            QFile::remove(temporaryPath_);
            Fail(spreadsheet_error::kWriteFailed,
                 QStringLiteral("Cannot save the spreadsheet in %1: %2")
                     .arg(QDir::toNativeSeparators(folder_), LibraryError(error)));
        }
        const QString stem =
            folder_ + QStringLiteral("/TarselExport-") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        for (int counter = 1; counter < 10000; ++counter) {
            const QString candidate = counter == 1 ? stem + QStringLiteral(".xlsx")
                                                   : stem + QStringLiteral("-%1.xlsx").arg(counter);
            // rename never replaces an existing file, so an earlier export is kept
            if (!QFileInfo::exists(candidate) && QFile::rename(temporaryPath_, candidate)) {
                savedPath_ = candidate;
                return;
            }
        }
        savedPath_ = temporaryPath_;
    }

  private:
    QString folder_;
    QString temporaryPath_;
    QString savedPath_;
    QByteArray scratchFolder_;  // outlives the workbook, which may keep the pointer
    lxw_workbook* workbook_ = nullptr;
};

class XlsxWorksheet : public SpreadsheetWorksheet {
  public:
    XlsxWorksheet(std::shared_ptr<WorkbookFile> file, lxw_worksheet* sheet)
        : file_(std::move(file)), sheet_(sheet) {}

    void SetCell(int32_t row, int32_t column, const QString& text) override {
        file_->RequireOpen();
        if (row < 1 || row > LXW_ROW_MAX || column < 1 || column > LXW_COL_MAX) {
            Fail(spreadsheet_error::kWriteFailed,
                 QStringLiteral("Cell (%1, %2) is outside the worksheet.").arg(row).arg(column));
        }
        if (row < lastRow_) {
            Fail(spreadsheet_error::kWriteFailed,
                 QStringLiteral("Cell (%1, %2) comes after row %3 was written; rows are written "
                                "in order.")
                     .arg(row)
                     .arg(column)
                     .arg(lastRow_));
        }
        lastRow_ = row;
        const auto r = static_cast<lxw_row_t>(row - 1);
        const auto c = static_cast<lxw_col_t>(column - 1);
        lxw_error error = LXW_NO_ERROR;
        if (text.startsWith(QLatin1Char('\''))) {
            const QByteArray value = QStringView(text).sliced(1).toUtf8();
            if (!value.isEmpty()) {
                error = worksheet_write_string(sheet_, r, c, value.constData(), nullptr);
            }
        } else if (!text.isEmpty()) {
            // Without the apostrophe a spreadsheet reads a plain number as a number. Qt also
            // reads "nan" and "inf" as numbers, which a worksheet cannot hold: they stay text.
            bool isNumber = false;
            const double number = text.toDouble(&isNumber);
            if (isNumber && std::isfinite(number) && text.trimmed() == text) {
                error = worksheet_write_number(sheet_, r, c, number, nullptr);
            } else {
                error = worksheet_write_string(sheet_, r, c, text.toUtf8().constData(), nullptr);
            }
        }
        if (error != LXW_NO_ERROR) {
            Fail(spreadsheet_error::kWriteFailed, QStringLiteral("Cannot write cell (%1, %2): %3")
                                                      .arg(row)
                                                      .arg(column)
                                                      .arg(LibraryError(error)));
        }
    }

  private:
    std::shared_ptr<WorkbookFile> file_;
    lxw_worksheet* sheet_;
    int32_t lastRow_ = 0;
};

class XlsxWorkbook : public SpreadsheetWorkbook {
  public:
    explicit XlsxWorkbook(std::shared_ptr<WorkbookFile> file) : file_(std::move(file)) {}
    std::shared_ptr<SpreadsheetWorksheet> AddWorksheet() override {
        return std::make_shared<XlsxWorksheet>(file_, file_->AddSheet());
    }

  private:
    std::shared_ptr<WorkbookFile> file_;
};

class XlsxApplication : public SpreadsheetApplication {
  public:
    XlsxApplication(QString folder, std::shared_ptr<FileOpener> opener)
        : folder_(std::move(folder)), opener_(std::move(opener)) {}

    std::shared_ptr<SpreadsheetWorkbook> AddWorkbook() override {
        auto file = std::make_shared<WorkbookFile>(folder_);
        files_.push_back(file);
        return std::make_shared<XlsxWorkbook>(file);
    }

    void SetVisible(bool visible) override {
        if (!visible) {
            return;
        }
        notice_.clear();
        for (const auto& file : files_) {
            if (file->saved()) {
                continue;
            }
            file->Save();
            if (!opener_->Open(file->savedPath())) {
                notice_ += QStringLiteral(
                               "No program could open the spreadsheet. It was saved as:"
                               "\r\n\r\n%1")
                               .arg(QDir::toNativeSeparators(file->savedPath()));
            }
        }
    }

    QString VisibilityNotice() const override { return notice_; }

  private:
    QString folder_;
    std::shared_ptr<FileOpener> opener_;
    std::vector<std::shared_ptr<WorkbookFile>> files_;
    QString notice_;
};

class XlsxProgram : public SpreadsheetProgram {
  public:
    explicit XlsxProgram(XlsxOptions options) : options_(std::move(options)) {}

    std::shared_ptr<SpreadsheetApplication> CreateApplication(
        const QString& programmaticId) override {
        if (programmaticId.compare(QString::fromLatin1(kSpreadsheetProgId), Qt::CaseInsensitive) !=
            0) {
            Fail(spreadsheet_error::kCannotCreate,
                 QStringLiteral("No spreadsheet program answers to \"%1\".").arg(programmaticId));
        }
        QString folder = options_.folder.isEmpty() ? DefaultExportFolder() : options_.folder;
        if (!QFileInfo(folder).isDir()) {
            Fail(spreadsheet_error::kCannotCreate,
                 QStringLiteral("The folder %1 for spreadsheet files does not exist.")
                     .arg(QDir::toNativeSeparators(folder)));
        }
        auto opener = options_.opener ? options_.opener : CreateDesktopFileOpener();
        return std::make_shared<XlsxApplication>(std::move(folder), std::move(opener));
    }

  private:
    XlsxOptions options_;
};

}  // namespace

std::shared_ptr<FileOpener> CreateDesktopFileOpener() {
    return std::make_shared<DesktopFileOpener>();
}

bool NoDefaultProgramFor(const QString& path) {
    const QString type =
        QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name();
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForStarted(5000)) {
        return false;
    }
    if (!query.waitForFinished(10000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
           query.readAllStandardOutput().trimmed().isEmpty();
}

QString DefaultExportFolder() {
    const QString documents = qEnvironmentVariable("XDG_DOCUMENTS_DIR");
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) {
        return documents;
    }
    const QString standard = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!standard.isEmpty() && QFileInfo(standard).isDir() && QFileInfo(standard).isWritable()) {
        return standard;
    }
    return QDir::tempPath();
}

std::shared_ptr<SpreadsheetProgram> CreateXlsxSpreadsheetProgram(XlsxOptions options) {
    return std::make_shared<XlsxProgram>(std::move(options));
}

}  // namespace tarsel::xlsx
