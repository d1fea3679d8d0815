#pragma once

#include "support/XvfbSession.h"

#include <gtest/gtest.h>

namespace veyra::test {

// A test suite that shares one private X server (with openbox) among its tests.
class XvfbTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_session = new XvfbSession(); }
    static void TearDownTestSuite()
    {
        delete s_session;
        s_session = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(s_session->isRunning()) << s_session->errorString().toStdString(); }

    static XvfbSession &session() { return *s_session; }

private:
    static inline XvfbSession *s_session = nullptr;
};

} // namespace veyra::test
