#include "utilities/appinfo/report_view.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <algorithm>

namespace appinfo {

void LinesModel::SetLines(const QStringList& lines, const QFontMetrics& font) {
    qsizetype longest = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (longest < 0 || lines[i].size() > lines[longest].size()) {
            longest = i;
        }
    }
    // Room for the margins of a row and for a line of wide letters a little shorter.
    rowSize_ = longest < 0 ? QSize()
                           : QSize(font.horizontalAdvance(lines[longest]) * 11 / 10 + 12,
                                   font.height() + 2);
    setStringList(lines);
}

QVariant LinesModel::data(const QModelIndex& index, int role) const {
    // Rows of uniform size are all measured by the first.
    if (role == Qt::SizeHintRole && index.row() == 0 && rowSize_.isValid()) {
        return rowSize_;
    }
    return QStringListModel::data(index, role);
}

LinesView::LinesView(QWidget* parent) : QListView(parent), model_(new LinesModel(this)) {
    setModel(model_);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setTextElideMode(Qt::ElideNone);
}

void LinesView::SetLines(const QStringList& lines) {
    model_->SetLines(lines, fontMetrics());
}

void LinesView::keyPressEvent(QKeyEvent* event) {
    if (!event->matches(QKeySequence::Copy)) {
        QListView::keyPressEvent(event);
        return;
    }
    QModelIndexList selected = selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList text;
    for (const QModelIndex& index : selected) {
        text.append(index.data().toString());
    }
    QApplication::clipboard()->setText(text.join(QLatin1Char('\n')));
}

void ReportView::ShowReport(const QString& report) {
    QStringList lines = report.split(QStringLiteral("\r\n"));
    if (lines.size() > 1 && lines.back().isEmpty()) {
        lines.removeLast();
    }
    SetLines(lines);
}

}  // namespace appinfo
