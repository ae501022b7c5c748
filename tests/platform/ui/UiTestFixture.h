// A fresh test driver for each test, and the application emptied afterwards.
#pragma once

#include "platform/ui/testdriver/TestDriver.h"

#include <gtest/gtest.h>

class UiTest : public ::testing::Test {
protected:
    void SetUp() override { Driver = &TTestDriver::Install(); }
    void TearDown() override {
        Application->DestroyForms();
        SetUiBackend(nullptr);
    }
    TTestDriver* Driver = nullptr;
};
