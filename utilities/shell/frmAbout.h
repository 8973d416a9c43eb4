#pragma once

#include <QDialog>

// The program's identity and notice, shown modally from the main window's Help menu.
class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* parent = nullptr);

  private:
    void cmdOK_Click();
};
