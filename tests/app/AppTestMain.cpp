// Runs every registered QTest class on Qt's off-screen platform; fails if any of them fails.

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "AppTestRegistry.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    // The program's settings (the recent folders) go to a folder of the tests' own.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    int failures = 0;
    for (const auto& makeTest : korvane::testing::AppTests()) {
        const std::unique_ptr<QObject> test = makeTest();
        failures += QTest::qExec(test.get(), argc, argv) != 0 ? 1 : 0;
    }
    return failures == 0 ? 0 : 1;
}
