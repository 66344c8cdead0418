// The harness of the tests that need a real window manager: they must run under one, on a screen
// whose panel takes the top 32 px, or their findings mean nothing.

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <QtTest/QSignalSpy>
#include <QtTest/QTest>

#include <gtest/gtest.h>

TEST(WindowManager, RunsOpenboxOnAScreenWithAPanel)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    const QScreen* screen = QGuiApplication::primaryScreen();
    EXPECT_EQ(screen->geometry().size(), QSize(1280, 720));
    EXPECT_EQ(screen->availableGeometry().top(), 32);

    // Only a window manager puts a frame around a window and tells where it went.
    QWidget window;
    window.resize(300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.frameGeometry().size() != window.size(); }, 20000));
}

TEST(WindowManager, ATestNamedFor1366GetsThatScreen)
{
    EXPECT_EQ(QGuiApplication::primaryScreen()->geometry().size(), QSize(1366, 768));
}
