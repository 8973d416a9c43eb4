#pragma once

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include "tests/utilities/shell/fake_client.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"

namespace shelltest {

// Fresh shared state, scripted message boxes and the fake client library for each test.
class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        modGlobal::ResetSessionState();
        ui::InstallMessageBoxes(boxes);
        tarsel::InstallClientLibrary(library);
        ASSERT_TRUE(temp.isValid());
    }
    void TearDown() override {
        ui::InstallMessageBoxes(nullptr);
        tarsel::InstallClientLibrary(nullptr);
        modGlobal::ResetSessionState();
    }

    std::shared_ptr<ui::ScriptedMessageBoxes> boxes = std::make_shared<ui::ScriptedMessageBoxes>();
    std::shared_ptr<FakeLibrary> library = std::make_shared<FakeLibrary>();
    QTemporaryDir temp;
};

}  // namespace shelltest
