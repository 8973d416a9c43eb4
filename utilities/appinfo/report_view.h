#pragma once
// Read-only views of many lines. A report or a member list may hold a million lines; a
// text box builds a block per line and a list view measures every row, each taking
// seconds. These views measure one line, the longest, and show the rest at its size.

#include <QListView>
#include <QSize>
#include <QStringListModel>

namespace appinfo {

// Lines whose every row takes the size of the longest one.
class LinesModel : public QStringListModel {
  public:
    using QStringListModel::QStringListModel;
    // Replaces the lines; font measures the longest.
    void SetLines(const QStringList& lines, const QFontMetrics& font);
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    QSize rowSize_;
};

// A list view of lines: the selected lines are copied with the copy keys, one per line.
class LinesView : public QListView {
  public:
    explicit LinesView(QWidget* parent);
    void SetLines(const QStringList& lines);
    QStringList lines() const { return model_->stringList(); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    LinesModel* model_;
};

// A report shown line by line: each CR LF pair ends a line.
class ReportView : public LinesView {
  public:
    using LinesView::LinesView;
    void ShowReport(const QString& report);
    // The lines shown, each followed by a line feed but the last.
    QString toPlainText() const { return lines().join(QLatin1Char('\n')); }
};

}  // namespace appinfo
