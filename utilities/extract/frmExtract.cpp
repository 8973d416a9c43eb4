#include "utilities/extract/frmExtract.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "utilities/extract/extract_writer.h"
#include "utilities/extract/text_view.h"
#include "utilities/shell/frmDrvDirFil.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"
#include "utilities/shell/tool_window.h"

namespace {

using ui::Named;

constexpr const char* kTagProperty = "tag";

class BusyPointer {
  public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace

frmExtract::frmExtract(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("frmExtract"));
    setWindowTitle(QStringLiteral("Tarsel Utilities - Extracts"));

    lblDimension_ = Named(new QLabel(this), "lblDimension");
    auto* lblDelimeter = Named(new QLabel(QStringLiteral("Delimeter:"), this), "lblDelimeter");
    optDelimeter_[0] = Named(new QRadioButton(QStringLiteral("C&omma"), this), "optDelimeter_0");
    optDelimeter_[0]->setProperty(kTagProperty, QStringLiteral("COMMA"));
    optDelimeter_[1] = Named(new QRadioButton(QStringLiteral("&Tab"), this), "optDelimeter_1");
    optDelimeter_[1]->setProperty(kTagProperty, QStringLiteral("TAB"));
    chkHeaderRow_ = Named(new QCheckBox(QStringLiteral("Show &Header Row"), this), "chkHeaderRow");
    optUseIndicators_[0] =
        Named(new QRadioButton(QStringLiteral("&Use Indicators"), this), "optUseIndicators_0");
    optUseIndicators_[1] = Named(new QRadioButton(QStringLiteral("&Don't Use Indicators"), this),
                                 "optUseIndicators_1");
    auto* lblParentIndicator =
        Named(new QLabel(QStringLiteral("Parent Indicator:"), this), "lblParentIndicator");
    txtParentIndicator_ =
        Named(new QLineEdit(QStringLiteral("Dynamic"), this), "txtParentIndicator");
    auto* lblChildIndicator =
        Named(new QLabel(QStringLiteral("Base Indicator:"), this), "lblChildIndicator");
    txtBaseIndicator_ = Named(new QLineEdit(QStringLiteral("Store"), this), "txtBaseIndicator");
    auto* cmdExtract = Named(new QPushButton(QStringLiteral("Run &Extract"), this), "cmdExtract");
    txtParentChild_ = Named(new TextView(this), "txtParentChild");
    auto* cmdSaveExtract = Named(new QPushButton(QStringLiteral("&Save"), this), "cmdSaveExtract");
    auto* sbStatusBar = Named(new QStatusBar(this), "sbStatusBar");
    sbPanel1_ = Named(new QLabel(sbStatusBar), "sbStatusBar_Panel1");
    sbStatusBar->addWidget(sbPanel1_, 1);

    // The two pairs of option buttons exclude only within their pair.
    auto* delimiters = new QButtonGroup(this);
    auto* indicators = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        delimiters->addButton(optDelimeter_[static_cast<size_t>(i)], i);
        indicators->addButton(optUseIndicators_[static_cast<size_t>(i)], i);
    }
    lblParentIndicator->setBuddy(txtParentIndicator_);
    lblChildIndicator->setBuddy(txtBaseIndicator_);

    auto* options = new QGridLayout;
    options->addWidget(lblDimension_, 0, 0, 1, 4);
    options->addWidget(lblDelimeter, 1, 0);
    options->addWidget(optDelimeter_[0], 1, 1);
    options->addWidget(optDelimeter_[1], 1, 2);
    options->addWidget(chkHeaderRow_, 1, 3);
    options->addWidget(optUseIndicators_[0], 2, 1);
    options->addWidget(optUseIndicators_[1], 2, 2);
    options->addWidget(lblParentIndicator, 3, 0);
    options->addWidget(txtParentIndicator_, 3, 1);
    options->addWidget(lblChildIndicator, 3, 2);
    options->addWidget(txtBaseIndicator_, 3, 3);
    options->addWidget(cmdExtract, 4, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSaveExtract);
    auto* layout = new QVBoxLayout(this);
    ui::AddFileMenu(this, layout, QStringLiteral("&Close"),
                    QStringLiteral("&Exit Tarsel Utilities"));
    layout->addLayout(options);
    layout->addWidget(txtParentChild_, 1);
    layout->addLayout(buttons);
    layout->addWidget(sbStatusBar);
    resize(760, 560);

    connect(delimiters, &QButtonGroup::idClicked, this, &frmExtract::optDelimeter_Click);
    connect(chkHeaderRow_, &QCheckBox::clicked, this, &frmExtract::chkHeaderRow_Click);
    connect(cmdExtract, &QPushButton::clicked, this, &frmExtract::cmdExtract_Click);
    connect(cmdSaveExtract, &QPushButton::clicked, this, &frmExtract::cmdSaveExtract_Click);

    Form_Load();
}

frmExtract::~frmExtract() {
    modGlobal::extractText.clear();
    modGlobal::extractTextWithHeader.clear();
}

void frmExtract::Form_Load() {
    modGlobal::extractText.clear();
    modGlobal::extractTextWithHeader.clear();
    sbPanel1_->setText(QStringLiteral("Application: ") + modGlobal::gApplicationName);
    try {
        lblDimension_->setText(modGlobal::gDimension->GetDimensionName() +
                               QStringLiteral(" Dimension"));
    } catch (const std::exception& error) {
        ui::ReportFailure(this, QStringLiteral("Form_Load"), error, ui::CaptionWording(*this));
    }
    extractDelimiter_ = QStringLiteral(",");
    optDelimeter_[0]->setChecked(true);
    optDelimeter_Click(0);
    optUseIndicators_[1]->setChecked(true);
}

void frmExtract::optDelimeter_Click(int index) {
    RunExtract(index);
}

void frmExtract::cmdExtract_Click() {
    BusyPointer busy;
    txtParentChild_->clear();
    txtParentChild_->repaint();
    RunExtract(optDelimeter_[1]->isChecked() ? 1 : 0);
}

void frmExtract::RunExtract(int delimiterIndex) {
    const QString tag =
        optDelimeter_[static_cast<size_t>(delimiterIndex)]->property(kTagProperty).toString();
    modGlobal::ExtractFormat format;
    format.languageIndex = modGlobal::gLanguageIndex;
    if (tag.toUpper() == QLatin1String("COMMA")) {
        extractDelimiter_ = QStringLiteral(",");
        if (optUseIndicators_[0]->isChecked()) {
            format.parentIndicator = txtParentIndicator_->text();
            format.baseIndicator = txtBaseIndicator_->text();
        }
    } else if (tag.toUpper() == QLatin1String("TAB")) {
        extractDelimiter_ = QStringLiteral("\t");
        format.parentIndicator = QStringLiteral("Dynamic");
        format.baseIndicator = QStringLiteral("Store");
    } else {
        ui::ShowMessage(this,
                        QStringLiteral("Unhandled error encountered while setting the ") +
                            QStringLiteral("Delimeter Option."),
                        QStringLiteral("Delimeter Option Error"), ui::Buttons::Ok,
                        ui::Icon::Critical);
        return;
    }
    format.delimiter = extractDelimiter_;
    try {
        modGlobal::WriteExtract(*modGlobal::gDimension, format);
    } catch (const std::exception& error) {
        ui::ReportFailure(this, QStringLiteral("RunExtract"), error, ui::CaptionWording(*this));
    }
    ShowExtract();
}

void frmExtract::ShowExtract() {
    txtParentChild_->setText(chkHeaderRow_->isChecked() ? modGlobal::extractTextWithHeader
                                                        : modGlobal::extractText);
}

void frmExtract::chkHeaderRow_Click() {
    if (!modGlobal::extractText.isEmpty()) {
        ShowExtract();
        return;
    }
    modGlobal::ExtractFormat format;
    format.delimiter = extractDelimiter_;
    format.languageIndex = modGlobal::gLanguageIndex;
    try {
        modGlobal::WriteExtract(*modGlobal::gDimension, format);
    } catch (const std::exception& error) {
        ui::ReportFailure(this, QStringLiteral("chkHeaderRow_Click"), error,
                          ui::CaptionWording(*this));
    }
}

void frmExtract::cmdSaveExtract_Click() {
    modGlobal::gSaveText = txtParentChild_->text();
    modGlobal::gSavePattern = QStringLiteral("*.txt");
    modGlobal::gSaveMode = QStringLiteral("METADATAEXTRACT");
    frmDrvDirFil save(this);
    save.exec();
}

namespace extract {
QWidget* MakeExtractWindow(QWidget* owner, const ui::ShellServices& /*services*/) {
    return new frmExtract(owner);
}
}  // namespace extract
