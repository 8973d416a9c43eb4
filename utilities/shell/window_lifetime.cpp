#include "utilities/shell/window_lifetime.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace ui {

namespace {

class LastWindowWatcher : public QObject {
  public:
    explicit LastWindowWatcher(QObject* parent) : QObject(parent) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide) {
            const auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && widget->isWindow()) {
                // Checked once the closing has finished, when the window is really gone.
                QTimer::singleShot(0, this, [] {
                    for (QWidget* window : QApplication::topLevelWidgets()) {
                        if (window->isVisible()) {
                            return;
                        }
                    }
                    QCoreApplication::quit();
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void QuitWhenNoWindowIsVisible(QApplication& application) {
    application.setQuitOnLastWindowClosed(false);
    application.installEventFilter(new LastWindowWatcher(&application));
}

}  // namespace ui
