#pragma once
// The metadata extract window: the current dimension's hierarchy as delimited
// parent/child text, shown at once on opening and saved through the save-file window.
// Loading the window (the constructor) runs the first extract.

#include <QString>
#include <QWidget>
#include <array>

#include "utilities/shell/services.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TextView;

class frmExtract : public QWidget {
    Q_OBJECT
  public:
    explicit frmExtract(QWidget* owner = nullptr);
    ~frmExtract() override;

  private:
    void Form_Load();
    void optDelimeter_Click(int index);
    void cmdExtract_Click();
    void chkHeaderRow_Click();
    void cmdSaveExtract_Click();
    void RunExtract(int delimiterIndex);
    void ShowExtract();

    QLabel* lblDimension_;
    std::array<QRadioButton*, 2> optDelimeter_;
    QCheckBox* chkHeaderRow_;
    std::array<QRadioButton*, 2> optUseIndicators_;
    QLineEdit* txtParentIndicator_;
    QLineEdit* txtBaseIndicator_;
    TextView* txtParentChild_;
    QLabel* sbPanel1_;
    QString extractDelimiter_ = QStringLiteral(",");
};

namespace extract {
// A new extract window, a top-level window owned by owner.
QWidget* MakeExtractWindow(QWidget* owner, const ui::ShellServices& services = {});
}  // namespace extract
