#pragma once
// Reads an .xlsx file back with a real reader (openpyxl under /usr/bin/python3), and an
// opener that records the files instead of showing them.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <map>
#include <utility>
#include <vector>

#include "server/xlsx/xlsx_spreadsheet.h"

namespace xlsx_test {

class RecordingOpener : public tarsel::xlsx::FileOpener {
  public:
    explicit RecordingOpener(bool succeed = true) : succeed_(succeed) {}
    bool Open(const QString& path) override {
        opened.push_back(path);
        return succeed_;
    }
    std::vector<QString> opened;

  private:
    bool succeed_;
};

struct ReadCell {
    QString type;  // openpyxl data type: "s" text, "n" number
    QString value;
};

struct ReadSheet {
    QString title;
    std::map<std::pair<int, int>, ReadCell> cells;  // (row, column) from (1, 1)

    QString text(int row, int column) const {
        auto it = cells.find({row, column});
        return it == cells.end() ? QString() : it->second.value;
    }
};

struct ReadBook {
    bool ok = false;
    QString error;
    std::vector<ReadSheet> sheets;
};

inline ReadBook ReadXlsx(const QString& path) {
    ReadBook book;
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TARSEL_READ_XLSX_SCRIPT), path});
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        book.error = QString::fromUtf8(python.readAllStandardError());
        return book;
    }
    const QJsonObject root = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    for (const auto& sheetValue : root.value(QStringLiteral("sheets")).toArray()) {
        const QJsonObject sheetObject = sheetValue.toObject();
        ReadSheet sheet;
        sheet.title = sheetObject.value(QStringLiteral("title")).toString();
        for (const auto& cellValue : sheetObject.value(QStringLiteral("cells")).toArray()) {
            const QJsonArray cell = cellValue.toArray();
            sheet.cells[{cell.at(0).toInt(), cell.at(1).toInt()}] =
                ReadCell{cell.at(2).toString(), cell.at(3).toString()};
        }
        book.sheets.push_back(std::move(sheet));
    }
    book.ok = true;
    return book;
}

}  // namespace xlsx_test
