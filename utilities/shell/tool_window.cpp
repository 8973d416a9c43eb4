#include "utilities/shell/tool_window.h"

#include <QApplication>
#include <QBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QWidget>

#include "server/tarsel_error.h"
#include "utilities/shell/message_box.h"

namespace ui {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& toolTip) {
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setToolTip(toolTip);
    return button;
}

void AddFileMenu(QWidget* window, QBoxLayout* layout, const QString& closeCaption,
                 const QString& exitCaption) {
    auto* menuBar = new QMenuBar(window);
    auto* mnuFile = Named(menuBar->addMenu(QStringLiteral("&File")), "mnuFile");
    auto* mnuClose = Named(mnuFile->addAction(closeCaption), "mnuClose");
    auto* mnuExit = Named(mnuFile->addAction(exitCaption), "mnuExit");
    QObject::connect(mnuClose, &QAction::triggered, window, &QWidget::close);
    QObject::connect(mnuExit, &QAction::triggered, window, [] {
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
    layout->setMenuBar(menuBar);
}

FailureWording CaptionWording(const QWidget& window) {
    return {window.windowTitle(), {}};
}

QString FailureMessageText(const QString& routine, int32_t number, const QString& description,
                           const QString& source, const QString& advice) {
    QString text = QStringLiteral("Error Encountered in ") + routine +
                   QStringLiteral(":\rError#: ") + QString::number(number) +
                   QStringLiteral("\rError Desc: ") + description +
                   QStringLiteral("\rError Source: ") + source;
    if (!advice.isEmpty()) {
        text += QStringLiteral("\r\r") + advice;
    }
    return text;
}

void ReportFailure(QWidget* window, const QString& routine, const std::exception& error,
                   const FailureWording& wording) {
    int32_t number = 0;
    QString description = QString::fromLocal8Bit(error.what());
    QString source = QStringLiteral("TarselUtilities (") + window->objectName() + u')';
    if (const auto* tarselError = dynamic_cast<const tarsel::TarselError*>(&error)) {
        number = tarselError->number();
        description = tarselError->description();
        source = tarselError->source();
    }
    ShowMessage(window, FailureMessageText(routine, number, description, source, wording.advice),
                wording.title, Buttons::Ok, Icon::Critical);
}

}  // namespace ui
