#include "utilities/shell/frmAbout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "utilities/shell/program_identity.h"
#include "utilities/shell/program_logo.h"

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About TarselUtilities"));

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picIcon"));
    picture->setPixmap(ui::ProgramLogo(64));

    auto* lblTitle = new QLabel(modGlobal::ProgramTitle(), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSize(titleFont.pointSize() + 4);
    lblTitle->setFont(titleFont);

    auto* lblVersion = new QLabel(modGlobal::ProgramVersionText(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    auto* lblDescription = new QLabel(modGlobal::ProgramDescription(), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);

    auto* lblWarning = new QLabel(modGlobal::ProgramNotice(), this);
    lblWarning->setObjectName(QStringLiteral("lblWarning"));
    lblWarning->setWordWrap(true);
    lblWarning->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    auto* text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addSpacing(8);
    text->addWidget(lblDescription);
    text->addSpacing(8);
    text->addWidget(lblWarning);
    text->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(cmdOK, 0, Qt::AlignRight);
    // Wrapped text decides the height once the width is fixed.
    setFixedSize(520, qMax(QWidget::layout()->heightForWidth(520), minimumSizeHint().height()));
}

void frmAbout::cmdOK_Click() {
    accept();
}
