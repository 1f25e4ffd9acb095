#pragma once

// Test executables start through VT_TEST_MAIN instead of QTEST_MAIN: before
// the application exists, the user's settings and data folders are pointed
// at a fresh temporary folder, so no test ever touches the real ones, and
// the window system is the headless "offscreen" one unless told otherwise.

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <utility>

namespace TestEnvironment {

// The temporary folder that stands in for the user's home folders.
QString root();
void prepare();
// Empties the suite's key of the (temporary) settings tree, so that a test
// starts from the programs' defaults.
void forgetSuiteSettings();

// A program's window as the user gets it: shown and activated once.
template <class Window, class... Arguments>
std::unique_ptr<Window> shownWindow(Arguments &&...arguments)
{
    auto window = std::make_unique<Window>(std::forward<Arguments>(arguments)...);
    window->show();
    window->FormActivate();
    return window;
}

} // namespace TestEnvironment

#define VT_TEST_MAIN(TestObject)                                      \
    int main(int argc, char *argv[])                                  \
    {                                                                 \
        TestEnvironment::prepare();                                   \
        QApplication app(argc, argv);                                 \
        app.setAttribute(Qt::AA_Use96Dpi, true);                      \
        TestObject tc;                                                \
        QTEST_SET_MAIN_SOURCE_PATH                                    \
        return QTest::qExec(&tc, argc, argv);                         \
    }
