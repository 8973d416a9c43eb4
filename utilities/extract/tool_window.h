#pragma once
// What the member list builder and the extract window share as tool windows of the
// program: named controls, the File menu, and the report of a failed routine.

#include <QString>
#include <exception>

class QBoxLayout;
class QWidget;

namespace tool {

// The widget, given the object name by which tests and the window find it.
template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The menu bar of layout with the menu "&File" (mnuFile): closeCaption (mnuClose) closes
// window, exitCaption (mnuExit) ends the program.
void AddFileMenu(QWidget* window, QBoxLayout* layout, const QString& closeCaption,
                 const QString& exitCaption);

// Reports a failure of a window's routine in a critical box titled with the window's
// caption: the routine, the error number, description and source. The window stays as
// it was and usable.
void ReportFailure(QWidget* window, const QString& routine, const std::exception& error);

}  // namespace tool
