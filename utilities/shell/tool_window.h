#pragma once
// What the tool windows share: named controls, the File menu, and the message that tells
// of a failed routine. Each window keeps its own wording of that message (its title and
// whether it ends with advice); the parts and their order are the same everywhere.

#include <QString>
#include <cstdint>
#include <exception>

class QBoxLayout;
class QPushButton;
class QWidget;

namespace ui {

// The widget, given the object name by which tests and the window find it.
template <typename Widget>
Widget* Named(Widget* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}
template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    return Named(widget, QString::fromLatin1(name));
}

// A button named name, with its caption and tool tip.
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& toolTip = {});

// The menu bar of layout with the menu "&File" (mnuFile): closeCaption (mnuClose) closes
// window, exitCaption (mnuExit) ends the program.
void AddFileMenu(QWidget* window, QBoxLayout* layout, const QString& closeCaption,
                 const QString& exitCaption);

// How one window words its failure message.
struct FailureWording {
    QString title;   // of the box; empty: the program title
    QString advice;  // a closing paragraph after two bare carriage returns; empty: none
};
// Titled with the window's caption, no advice.
FailureWording CaptionWording(const QWidget& window);

// The routine, the error number, description and source, separated by bare carriage
// returns, then the wording's advice.
QString FailureMessageText(const QString& routine, int32_t number, const QString& description,
                           const QString& source, const QString& advice = {});

// Tells of a failure of window's routine in a critical box with OK. A client error gives
// its number, description and source; any other failure 0, its text and
// "TarselUtilities (<window's object name>)". The window is left as the failure found it.
void ReportFailure(QWidget* window, const QString& routine, const std::exception& error,
                   const FailureWording& wording);

}  // namespace ui
