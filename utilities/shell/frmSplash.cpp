#include "utilities/shell/frmSplash.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "utilities/shell/program_identity.h"
#include "utilities/shell/program_logo.h"

namespace {
constexpr qint64 kWaitMs = 5000;
constexpr qint64 kClickShiftMs = 10000;
constexpr int kCheckIntervalMs = 50;
}  // namespace

frmSplash::frmSplash(std::shared_ptr<ui::Clock> clock, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint), clock_(std::move(clock)) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(modGlobal::ProgramTitle());

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setPixmap(ui::ProgramLogo(96));

    lblProductName_ = new QLabel(modGlobal::ProgramTitle(), this);
    lblProductName_->setObjectName(QStringLiteral("lblProductName"));
    QFont titleFont = lblProductName_->font();
    titleFont.setPointSize(titleFont.pointSize() * 2);
    titleFont.setBold(true);
    lblProductName_->setFont(titleFont);

    lblVersion_ = new QLabel(modGlobal::ProgramVersionText(), this);
    lblVersion_->setObjectName(QStringLiteral("lblVersion"));

    auto* lblWarning = new QLabel(modGlobal::ProgramNotice(), this);
    lblWarning->setObjectName(QStringLiteral("lblWarning"));
    lblWarning->setWordWrap(true);

    auto* text = new QVBoxLayout;
    text->addWidget(lblProductName_);
    text->addWidget(lblVersion_);
    text->addSpacing(12);
    text->addWidget(lblWarning);
    text->addStretch();
    // Without a title bar the window needs its own edge to stand out from what lies behind.
    auto* border = new QFrame(this);
    border->setObjectName(QStringLiteral("fraBorder"));
    border->setFrameStyle(QFrame::Box | QFrame::Plain);
    border->setLineWidth(1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(border);
    auto* layout = new QHBoxLayout(border);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->addWidget(logo, 0, Qt::AlignTop);
    layout->addSpacing(16);
    layout->addLayout(text, 1);
    // Wrapped text decides the height once the width is fixed.
    setFixedSize(560, qMax(QWidget::layout()->heightForWidth(560), minimumSizeHint().height()));

    for (QLabel* label : findChildren<QLabel*>()) {
        label->installEventFilter(this);
    }
    checkTimer_.setInterval(kCheckIntervalMs);
    connect(&checkTimer_, &QTimer::timeout, this, &frmSplash::CheckWait);
}

qint64 frmSplash::NowMs() const {
    return clock_->Now().toMSecsSinceEpoch();
}

void frmSplash::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    startMs_ = NowMs();
    checkTimer_.start();
}

void frmSplash::CheckWait() {
    if (NowMs() >= startMs_ + kWaitMs) {
        checkTimer_.stop();
        accept();
    }
}

void frmSplash::EndWait() {
    startMs_ = NowMs() - kClickShiftMs;
}

void frmSplash::mousePressEvent(QMouseEvent* event) {
    EndWait();
    QDialog::mousePressEvent(event);
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        EndWait();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
