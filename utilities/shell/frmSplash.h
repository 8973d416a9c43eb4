#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>

#include "utilities/shell/clock.h"

class QLabel;

// Presents the program for five seconds before the main window; any click ends it.
class frmSplash : public QDialog {
    Q_OBJECT
  public:
    explicit frmSplash(std::shared_ptr<ui::Clock> clock, QWidget* parent = nullptr);

    // Closes the window once five seconds have passed since the recorded start.
    void CheckWait();

  protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    qint64 NowMs() const;
    // Moves the start ten seconds into the past, which ends the wait at its next check.
    void EndWait();

    std::shared_ptr<ui::Clock> clock_;
    qint64 startMs_ = 0;
    QTimer checkTimer_;
    QLabel* lblProductName_;
    QLabel* lblVersion_;
};
