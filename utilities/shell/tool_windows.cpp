#include "utilities/shell/tool_windows.h"

#include <QLabel>
#include <QVBoxLayout>

namespace ui {

QString ToolWindowCaption(ToolWindowKind kind) {
    switch (kind) {
        case ToolWindowKind::MetadataViewer:
            return QStringLiteral("Tarsel Utilities - Metadata Viewer");
        case ToolWindowKind::ApplicationInfo:
            return QStringLiteral("Tarsel Utilities - Application Information");
        case ToolWindowKind::ExtractMetadata:
            return QStringLiteral("Tarsel Utilities - Extracts");
        case ToolWindowKind::MemberListBuilder:
            break;
    }
    return QStringLiteral("Tarsel Utilities - Member List Builder");
}

ToolWindowFactory ToolWindowFactoryFor(const ToolWindowFactories& factories, ToolWindowKind kind) {
    const auto found = factories.find(kind);
    if (found != factories.end() && found->second) {
        return found->second;
    }
    return [kind](QWidget* owner, const ShellServices&) -> QWidget* {
        auto* window = new QWidget(owner, Qt::Window);
        window->setObjectName(QStringLiteral("frmPlaceholder"));
        window->setWindowTitle(ToolWindowCaption(kind));
        auto* layout = new QVBoxLayout(window);
        layout->addWidget(
            new QLabel(QStringLiteral("This module is not part of this build."), window));
        window->resize(420, 160);
        return window;
    };
}

}  // namespace ui
