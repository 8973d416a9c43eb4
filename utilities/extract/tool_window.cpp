#include "utilities/extract/tool_window.h"

#include <QApplication>
#include <QBoxLayout>
#include <QMenuBar>
#include <QWidget>

#include "server/tarsel_error.h"
#include "utilities/shell/message_box.h"

namespace tool {

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

void ReportFailure(QWidget* window, const QString& routine, const std::exception& error) {
    int32_t number = 0;
    QString description = QString::fromLocal8Bit(error.what());
    QString source = QStringLiteral("TarselUtilities (") + window->objectName() + u')';
    if (const auto* tarselError = dynamic_cast<const tarsel::TarselError*>(&error)) {
        number = tarselError->number();
        description = tarselError->description();
        source = tarselError->source();
    }
    ui::ShowMessage(window,
                    QStringLiteral("Error Encountered in ") + routine +
                        QStringLiteral(":\rError#: ") + QString::number(number) +
                        QStringLiteral("\rError Desc: ") + description +
                        QStringLiteral("\rError Source: ") + source,
                    window->windowTitle(), ui::Buttons::Ok, ui::Icon::Critical);
}

}  // namespace tool
