// The real message boxes behind the wrapper: icon, buttons, the program title, and the
// answer given back. Each box is answered by a timer, so nothing waits on a person.

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include "utilities/shell/message_box.h"

namespace {

struct Seen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Shows the message through the real boxes and presses `press` in the box.
ui::Answer ShowAndPress(const QString& text, const QString& title, ui::Buttons buttons,
                        ui::Icon icon, QMessageBox::StandardButton press, Seen& seen) {
    ui::InstallMessageBoxes(nullptr);
    QTimer::singleShot(0, [&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        seen = Seen{box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        box->button(press)->click();
    });
    return ui::ShowMessage(nullptr, text, title, buttons, icon);
}

TEST(ShellMessageBox, RealBoxHasTheIconButtonsAndProgramTitle) {
    Seen seen;
    EXPECT_EQ(ShowAndPress(QStringLiteral("First\r\rSecond"), QString(), ui::Buttons::YesNo,
                           ui::Icon::Critical, QMessageBox::No, seen),
              ui::Answer::No);
    EXPECT_EQ(seen.title, QStringLiteral("Tarsel Utilities"));
    EXPECT_EQ(seen.text, QStringLiteral("First\n\nSecond"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);

    EXPECT_EQ(ShowAndPress(QStringLiteral("Saved"), QStringLiteral("File Exists"),
                           ui::Buttons::OkCancel, ui::Icon::Exclamation, QMessageBox::Cancel, seen),
              ui::Answer::Cancel);
    EXPECT_EQ(seen.title, QStringLiteral("File Exists"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);
}

TEST(ShellMessageBox, WebAddressIsShownWholeOnALineOfItsOwn) {
    const QString address = QStringLiteral("https://tarsel-utilities.example.org/download");
    const QString text =
        QStringLiteral("Please download and install the appropriate version from: ") + address;
    ui::InstallMessageBoxes(nullptr);
    QString shown;
    int labelWidth = 0;
    int addressWidth = -1;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        shown = box->text();
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            labelWidth = label->width();
            addressWidth = label->fontMetrics().horizontalAdvance(address);
        }
        box->button(QMessageBox::Ok)->click();
    });
    ui::ShowMessage(nullptr, text, QString(), ui::Buttons::Ok, ui::Icon::Critical);
    EXPECT_EQ(shown, QStringLiteral("Please download and install the appropriate version from:\n") +
                         address);
    EXPECT_GE(labelWidth, addressWidth);
}

TEST(ShellMessageBox, ScriptedBoxesAnswerInOrderThenTheFirstButton) {
    auto boxes = std::make_shared<ui::ScriptedMessageBoxes>();
    ui::InstallMessageBoxes(boxes);
    boxes->setNextAnswer(ui::Answer::No);
    EXPECT_EQ(ui::ShowMessage(nullptr, QStringLiteral("a"), QString(), ui::Buttons::YesNo),
              ui::Answer::No);
    EXPECT_EQ(ui::ShowMessage(nullptr, QStringLiteral("b"), QString(), ui::Buttons::YesNo),
              ui::Answer::Yes);
    EXPECT_EQ(ui::ShowMessage(nullptr, QStringLiteral("c"), QString(), ui::Buttons::OkCancel),
              ui::Answer::Ok);
    ASSERT_EQ(boxes->shown().size(), 3u);
    EXPECT_EQ(boxes->shown()[2].text, QStringLiteral("c"));
    ui::InstallMessageBoxes(nullptr);
}

}  // namespace
