// Runs the registered QTest classes on Qt's off-screen platform: the one named by the first
// argument (each has its own ctest), or all of them without one. Fails if any of them fails,
// or if no class has the name given.

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "AppTestRegistry.h"
#include "app/RunWorker.h"

namespace {

// "korvane::testing::MainFrameTest" as "MainFrameTest".
std::string ShortName(const QObject& test) {
    const std::string name = test.metaObject()->className();
    const std::size_t colon = name.rfind("::");
    return colon == std::string::npos ? name : name.substr(colon + 2);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    // The tests act on given reports of a run ("stop once picture 2 is shown"): the worker
    // waits for the window to handle each report.
    korvane::RunWorker::SetLockstep(true);
    // The program's settings (the recent folders) go to a folder of the tests' own.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    // A first argument that is no QTest option names the class to run; QTest gets the rest.
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    std::vector<char*> options(argv, argv + argc);
    if (only != nullptr) {
        options.erase(options.begin() + 1);
    }
    int failures = 0;
    int run = 0;
    for (const auto& makeTest : korvane::testing::AppTests()) {
        const std::unique_ptr<QObject> test = makeTest();
        if (only != nullptr && ShortName(*test) != only) {
            continue;
        }
        ++run;
        failures +=
            QTest::qExec(test.get(), static_cast<int>(options.size()), options.data()) != 0 ? 1 : 0;
    }
    if (run == 0) {
        qCritical("no QTest class named %s", only);
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
