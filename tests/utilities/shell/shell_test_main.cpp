#include <gtest/gtest.h>
#include <QApplication>

#include "utilities/shell/program_identity.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    modGlobal::SetProgramIdentity();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
