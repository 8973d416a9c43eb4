#pragma once

#include <QAbstractScrollArea>
#include <QString>
#include <vector>

// A read-only view of a long plain text: only the lines in sight are laid out, so a text
// of a hundred megabytes is shown at once. The text is kept exactly as given, line ends
// and all; Ctrl+C copies all of it.
class TextView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit TextView(QWidget* parent = nullptr);

    void setText(QString text);
    const QString& text() const { return text_; }
    void clear() { setText({}); }
    qsizetype lineCount() const { return static_cast<qsizetype>(lineStarts_.size()); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void UpdateScrollBars();
    // Line i without its line end.
    QStringView Line(qsizetype i) const;

    QString text_;
    std::vector<qsizetype> lineStarts_;
    qsizetype longestLine_ = 0;
};
