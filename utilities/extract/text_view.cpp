#include "utilities/extract/text_view.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

TextView::TextView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

void TextView::setText(QString text) {
    text_ = std::move(text);
    lineStarts_.clear();
    longestLine_ = 0;
    if (!text_.isEmpty()) {
        lineStarts_.push_back(0);
    }
    const QChar* chars = text_.constData();
    const qsizetype size = text_.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (chars[i] == u'\n') {
            longestLine_ = std::max(longestLine_, i - lineStarts_.back());
            if (i + 1 < size) {
                lineStarts_.push_back(i + 1);
            }
        }
    }
    if (!lineStarts_.empty()) {
        longestLine_ = std::max(longestLine_, size - lineStarts_.back());
    }
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    UpdateScrollBars();
    viewport()->update();
}

QStringView TextView::Line(qsizetype i) const {
    const qsizetype start = lineStarts_[static_cast<size_t>(i)];
    qsizetype end = i + 1 < lineCount() ? lineStarts_[static_cast<size_t>(i + 1)] : text_.size();
    while (end > start && (text_[end - 1] == u'\n' || text_[end - 1] == u'\r')) {
        --end;
    }
    return QStringView(text_).mid(start, end - start);
}

void TextView::UpdateScrollBars() {
    const int lineHeight = std::max(1, fontMetrics().lineSpacing());
    const int visibleLines = std::max(1, viewport()->height() / lineHeight);
    const qsizetype lastTop = std::max<qsizetype>(0, lineCount() - visibleLines);
    verticalScrollBar()->setRange(0, static_cast<int>(std::min<qsizetype>(lastTop, INT_MAX)));
    verticalScrollBar()->setPageStep(visibleLines);
    const qsizetype width = longestLine_ * fontMetrics().averageCharWidth() * 2;
    horizontalScrollBar()->setRange(
        0, static_cast<int>(std::clamp<qsizetype>(width - viewport()->width(), 0, INT_MAX)));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void TextView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int lineHeight = std::max(1, fontMetrics().lineSpacing());
    const int left = 4 - horizontalScrollBar()->value();
    const qsizetype first = verticalScrollBar()->value();
    const int rows = viewport()->height() / lineHeight + 1;
    for (int row = 0; row < rows && first + row < lineCount(); ++row) {
        // Tabs show as blanks; the text itself keeps them.
        QString line = Line(first + row).toString();
        line.replace(u'\t', QLatin1String("    "));
        painter.drawText(left, row * lineHeight + fontMetrics().ascent(), line);
    }
}

void TextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TextView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll)) {
        QApplication::clipboard()->setText(text_);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}
