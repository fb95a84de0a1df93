// GoogleTest main with a Qt application object: a QApplication for widget
// tests (TAPLINK_WIDGETS defined), else a QCoreApplication.
#include <gtest/gtest.h>

#ifdef TAPLINK_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (at build time) needs no application, and no display.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    // Dialogs the tests can see and answer: never the desktop's own.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
