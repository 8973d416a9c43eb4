#include "utilities/shell/desktop.h"

#include <QDesktopServices>

namespace ui {

namespace {
class RealDesktopOpener : public DesktopOpener {
  public:
    bool OpenUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};
}  // namespace

std::shared_ptr<DesktopOpener> SystemDesktopOpener() {
    static const std::shared_ptr<DesktopOpener> opener = std::make_shared<RealDesktopOpener>();
    return opener;
}

}  // namespace ui
