#pragma once
// The main window opens its four tool windows through factories that the program
// registers at start, so the shell does not depend on the tool windows' libraries.

#include <QString>
#include <QWidget>
#include <functional>

namespace ui {

enum class ToolWindowKind { MetadataViewer, ApplicationInfo, ExtractMetadata, MemberListBuilder };

// Makes a new top-level tool window owned by owner (a Qt::Window child of it).
using ToolWindowFactory = std::function<QWidget*(QWidget* owner)>;

// The window's caption, which the empty stand-in window of an unregistered tool shows.
QString ToolWindowCaption(ToolWindowKind kind);

void RegisterToolWindowFactory(ToolWindowKind kind, ToolWindowFactory factory);
// The registered factory, or one that makes an empty window with the tool's caption.
ToolWindowFactory ToolWindowFactoryFor(ToolWindowKind kind);

}  // namespace ui
