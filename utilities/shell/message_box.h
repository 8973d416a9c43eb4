#pragma once
// Every message box of TarselUtilities goes through here, so tests can answer them in
// advance and no test ever blocks on a modal box.

#include <QString>
#include <deque>
#include <memory>
#include <vector>

class QWidget;

namespace ui {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Critical, Exclamation, Information, Question };
enum class Answer { Ok, Cancel, Yes, No };

struct MessageRequest {
    QString text;
    QString title;  // empty: the program title "Tarsel Utilities"
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
};

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual Answer Show(QWidget* parent, const MessageRequest& request) = 0;
};

// Shows a message through the installed boxes (real QMessageBox by default).
Answer ShowMessage(QWidget* parent, const QString& text, const QString& title,
                   Buttons buttons = Buttons::Ok, Icon icon = Icon::None);

// Installs other boxes; nullptr puts the real ones back.
void InstallMessageBoxes(std::shared_ptr<MessageBoxes> boxes);

// Test boxes: answer from a queue set in advance (the first button when the queue is
// empty) and record every request.
class ScriptedMessageBoxes : public MessageBoxes {
  public:
    void setNextAnswer(Answer answer) { answers_.push_back(answer); }
    Answer Show(QWidget* parent, const MessageRequest& request) override;
    const std::vector<MessageRequest>& shown() const { return shown_; }
    void clear() {
        shown_.clear();
        answers_.clear();
    }

  private:
    std::deque<Answer> answers_;
    std::vector<MessageRequest> shown_;
};

}  // namespace ui
