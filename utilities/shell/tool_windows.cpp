#include "utilities/shell/tool_windows.h"

#include <QLabel>
#include <QVBoxLayout>
#include <array>

namespace ui {

namespace {

constexpr size_t kToolCount = 4;

std::array<ToolWindowFactory, kToolCount>& Factories() {
    static std::array<ToolWindowFactory, kToolCount> factories;
    return factories;
}

size_t IndexOf(ToolWindowKind kind) {
    return static_cast<size_t>(kind);
}

}  // namespace

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

void RegisterToolWindowFactory(ToolWindowKind kind, ToolWindowFactory factory) {
    Factories()[IndexOf(kind)] = std::move(factory);
}

ToolWindowFactory ToolWindowFactoryFor(ToolWindowKind kind) {
    if (const auto& factory = Factories()[IndexOf(kind)]) {
        return factory;
    }
    return [kind](QWidget* owner) -> QWidget* {
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
