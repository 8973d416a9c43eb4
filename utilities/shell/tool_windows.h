#pragma once
// The main window's four tool windows, each made by a factory the program hands over in
// ShellServices, so the shell does not depend on the tool windows' libraries.

#include <QString>
#include <QWidget>
#include <functional>
#include <map>

namespace ui {

struct ShellServices;

enum class ToolWindowKind { MetadataViewer, ApplicationInfo, ExtractMetadata, MemberListBuilder };

// Makes a new top-level tool window owned by owner (a Qt::Window child of it); the window's
// load does its first reading from the server and may fail with the server's error.
using ToolWindowFactory = std::function<QWidget*(QWidget* owner, const ShellServices& services)>;
using ToolWindowFactories = std::map<ToolWindowKind, ToolWindowFactory>;

// The window's caption, which the empty stand-in window of a tool without a factory shows.
QString ToolWindowCaption(ToolWindowKind kind);

// The factory of that kind, or one that makes an empty window with the tool's caption.
ToolWindowFactory ToolWindowFactoryFor(const ToolWindowFactories& factories, ToolWindowKind kind);

}  // namespace ui
