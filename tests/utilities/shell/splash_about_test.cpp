// The splash's five-second wait and its click, and the About window's identity.

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tests/utilities/shell/shell_fixture.h"
#include "utilities/shell/frmAbout.h"
#include "utilities/shell/frmSplash.h"

namespace {

std::shared_ptr<ui::FixedClock> NoonClock() {
    return std::make_shared<ui::FixedClock>(QDateTime(QDate(2026, 3, 1), QTime(12, 0, 0)));
}

TEST(ShellSplash, ShowsIdentityAndWaitsFiveSeconds) {
    auto clock = NoonClock();
    frmSplash splash(clock);
    EXPECT_EQ(splash.findChild<QLabel*>(QStringLiteral("lblProductName"))->text(),
              QStringLiteral("Tarsel Utilities"));
    EXPECT_EQ(splash.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
              QStringLiteral("Version 11.1.2"));
    EXPECT_FALSE(splash.findChild<QLabel*>(QStringLiteral("lblWarning"))->text().isEmpty());
    splash.show();
    clock->AdvanceMs(4900);
    splash.CheckWait();
    EXPECT_TRUE(splash.isVisible());
    clock->AdvanceMs(100);
    splash.CheckWait();
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(splash.result(), QDialog::Accepted);
}

TEST(ShellSplash, WaitEndsAcrossMidnight) {
    // Counting seconds since midnight, a start just before midnight would never be reached.
    auto clock = std::make_shared<ui::FixedClock>(QDateTime(QDate(2026, 3, 1), QTime(23, 59, 58)));
    frmSplash splash(clock);
    splash.show();
    clock->AdvanceMs(4000);
    splash.CheckWait();
    EXPECT_TRUE(splash.isVisible());
    clock->AdvanceMs(1000);
    splash.CheckWait();
    EXPECT_FALSE(splash.isVisible());
}

TEST(ShellSplash, ClickOnALabelEndsTheWaitAtOnce) {
    frmSplash splash(NoonClock());  // the clock never moves: only the click can end it
    QTimer::singleShot(0, &splash, [&splash] {
        QTest::mouseClick(splash.findChild<QLabel*>(QStringLiteral("lblVersion")), Qt::LeftButton);
    });
    QTimer::singleShot(3000, &splash, [&splash] { splash.reject(); });  // a safety net
    EXPECT_EQ(splash.exec(), QDialog::Accepted);
}

TEST(ShellSplash, ClickOnTheWindowEndsTheWait) {
    frmSplash splash(NoonClock());
    QTimer::singleShot(0, &splash, [&splash] { QTest::mouseClick(&splash, Qt::LeftButton); });
    QTimer::singleShot(3000, &splash, [&splash] { splash.reject(); });
    EXPECT_EQ(splash.exec(), QDialog::Accepted);
}

TEST(ShellAbout, ShowsTheProgramIdentity) {
    frmAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About TarselUtilities"));
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("lblTitle"))->text(),
              QStringLiteral("Tarsel Utilities"));
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
              QStringLiteral("Version 11.1.2"));
    EXPECT_EQ(
        about.findChild<QLabel*>(QStringLiteral("lblDescription"))->text(),
        QStringLiteral("This utility was built to supply various graphical tools to speed "
                       "development and maintenance of Tarsel applications.  No actual changes "
                       "to the Tarsel application are made directly by the utility."));
    about.show();
    about.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    EXPECT_FALSE(about.isVisible());
}

}  // namespace
