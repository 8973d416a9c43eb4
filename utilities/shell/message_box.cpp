#include "utilities/shell/message_box.h"

#include <QMessageBox>
#include <QWidget>

#include "utilities/shell/program_identity.h"

namespace ui {

namespace {

// Some messages separate paragraphs with bare carriage returns, which a label would not
// break on; the request keeps the exact text, only the display shows line feeds.
// A web address starts a line of its own: wrapped inside a sentence, the label would
// break it after "https://", and the address could no longer be read or copied whole.
QString DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QString scheme = QStringLiteral("://");
    for (qsizetype at = shown.indexOf(scheme); at >= 0; at = shown.indexOf(scheme, at + 1)) {
        qsizetype start = at;
        while (start > 0 && !shown.at(start - 1).isSpace()) {
            --start;
        }
        if (start > 0 && shown.at(start - 1) == QLatin1Char(' ')) {
            shown[start - 1] = QLatin1Char('\n');
        }
    }
    return shown;
}

QMessageBox::Icon QtIcon(Icon icon) {
    switch (icon) {
        case Icon::Critical:
            return QMessageBox::Critical;
        case Icon::Exclamation:
            return QMessageBox::Warning;
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtButtons(Buttons buttons) {
    switch (buttons) {
        case Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case Buttons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

Answer FirstAnswer(Buttons buttons) {
    return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
}

// The answer a closed box (Escape, the window's close button) gives.
Answer EscapeAnswer(Buttons buttons) {
    switch (buttons) {
        case Buttons::OkCancel:
        case Buttons::YesNoCancel:
            return Answer::Cancel;
        case Buttons::YesNo:
            return Answer::No;
        case Buttons::Ok:
            break;
    }
    return Answer::Ok;
}

class RealMessageBoxes : public MessageBoxes {
  public:
    Answer Show(QWidget* parent, const MessageRequest& request) override {
        QMessageBox box(QtIcon(request.icon),
                        request.title.isEmpty() ? modGlobal::ProgramTitle() : request.title,
                        DisplayText(request.text), QtButtons(request.buttons), parent);
        box.setTextFormat(Qt::PlainText);
        switch (box.exec()) {
            case QMessageBox::Ok:
                return Answer::Ok;
            case QMessageBox::Cancel:
                return Answer::Cancel;
            case QMessageBox::Yes:
                return Answer::Yes;
            case QMessageBox::No:
                return Answer::No;
            default:
                return EscapeAnswer(request.buttons);
        }
    }
};

std::shared_ptr<MessageBoxes>& InstalledBoxes() {
    static std::shared_ptr<MessageBoxes> boxes;
    return boxes;
}

}  // namespace

Answer ShowMessage(QWidget* parent, const QString& text, const QString& title, Buttons buttons,
                   Icon icon) {
    auto& boxes = InstalledBoxes();
    if (!boxes) {
        boxes = std::make_shared<RealMessageBoxes>();
    }
    // Hold our own reference: a test may install other boxes while this one is open.
    const std::shared_ptr<MessageBoxes> current = boxes;
    return current->Show(parent, MessageRequest{text, title, buttons, icon});
}

void InstallMessageBoxes(std::shared_ptr<MessageBoxes> boxes) {
    InstalledBoxes() = std::move(boxes);
}

Answer ScriptedMessageBoxes::Show(QWidget* /*parent*/, const MessageRequest& request) {
    shown_.push_back(request);
    if (answers_.empty()) {
        return FirstAnswer(request.buttons);
    }
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

}  // namespace ui
