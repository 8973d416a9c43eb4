#pragma once
// Opening a document with the desktop's own viewer, behind an interface so tests can see
// what would be opened without starting anything.

#include <QUrl>
#include <memory>
#include <vector>

namespace ui {

class DesktopOpener {
  public:
    virtual ~DesktopOpener() = default;
    // Starts the viewer without waiting for it; false when the desktop could not.
    virtual bool OpenUrl(const QUrl& url) = 0;
};

std::shared_ptr<DesktopOpener> SystemDesktopOpener();

class RecordingDesktopOpener : public DesktopOpener {
  public:
    bool OpenUrl(const QUrl& url) override {
        opened.push_back(url);
        return succeed;
    }
    std::vector<QUrl> opened;
    bool succeed = true;
};

}  // namespace ui
