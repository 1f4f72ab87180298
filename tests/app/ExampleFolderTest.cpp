// Where a user's first calculation finds its example: the installed copy is read-only, so the
// user gets a copy of their own, made once.

#include <QTest>
#include <filesystem>
#include <optional>

#include "AppTestRegistry.h"
#include "app/ExampleFolder.h"
#include "setup/SetupFile.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

namespace fs = std::filesystem;

// Sets (or, with nullopt, removes) an environment variable for the life of the object.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, std::optional<QByteArray> value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        value ? qputenv(name, *value) : qunsetenv(name);
    }
    ~ScopedEnv() { m_had ? qputenv(m_name, m_old) : qunsetenv(m_name); }

  private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// An installed tree: prefix/bin and prefix/share/korvane/examples with the example's files.
fs::path MakeInstalledExample(const TempDir& dir) {
    const fs::path examples = dir.path() / "usr/share/korvane/examples";
    fs::create_directories(examples);
    fs::create_directories(dir.path() / "usr/bin");
    CalculationSetup setup;
    setup.FilePath = "examples/events.dat";
    setup.Radius = 8;
    for (const char* name : {"spatial.ini", "time.ini"}) {
        if (!SaveSetupFile(setup, (examples / name).string()).ok()) {
            qFatal("cannot write the example setup %s", name);
        }
    }
    dir.write("usr/share/korvane/examples/events.dat", "1\t2\t3\t4\n");
    return examples;
}

class ExampleFolderTest : public QObject {
    Q_OBJECT
  private slots:
    void installedExampleIsFoundBesideTheBinFolder() {
        TempDir dir;
        const fs::path examples = MakeInstalledExample(dir);
        QCOMPARE(InstalledExampleFolder(dir.file("usr/bin")), examples.string());
        // A build folder has no share/ beside it; a folder without events.dat is no example.
        QCOMPARE(InstalledExampleFolder(dir.file("usr")), std::string());
        fs::remove(examples / "events.dat");
        QCOMPARE(InstalledExampleFolder(dir.file("usr/bin")), std::string());
    }

    void userFolderFollowsXdgDataHomeThenHome() {
        ScopedEnv home("HOME", QByteArray("/home/ann"));
        {
            ScopedEnv xdg("XDG_DATA_HOME", QByteArray("/data/ann"));
            QCOMPARE(UserExampleFolder(), std::string("/data/ann/korvane/examples"));
        }
        {
            // A relative XDG_DATA_HOME is no valid setting; an unset one means the default.
            ScopedEnv xdg("XDG_DATA_HOME", QByteArray("relative/data"));
            QCOMPARE(UserExampleFolder(), std::string("/home/ann/.local/share/korvane/examples"));
        }
        ScopedEnv xdg("XDG_DATA_HOME", std::nullopt);
        QCOMPARE(UserExampleFolder(), std::string("/home/ann/.local/share/korvane/examples"));
    }

    void copyIsMadeOnceWithSetupsNamingTheCopiedEvents() {
        TempDir dir;
        const fs::path installed = MakeInstalledExample(dir);
        const fs::path own = dir.path() / "home/.local/share/korvane/examples";
        QVERIFY(CopyExampleOnce(installed.string(), own.string()));

        QCOMPARE(ReadWholeFile((own / "events.dat").string()), std::string("1\t2\t3\t4\n"));
        for (const char* name : {"spatial.ini", "time.ini"}) {
            CalculationSetup copied;
            QVERIFY(LoadSetupFile(copied, (own / name).string()).ok());
            QCOMPARE(copied.FilePath, (own / "events.dat").string());
            QCOMPARE(copied.Radius, 8.0);
        }
        QVERIFY(!fs::exists(own / "events.dat.part"));

        // The copy is the user's now: changes survive the next start.
        dir.write("home/.local/share/korvane/examples/events.dat", "changed\n");
        fs::remove(own / "time.ini");
        QVERIFY(CopyExampleOnce(installed.string(), own.string()));
        QCOMPARE(ReadWholeFile((own / "events.dat").string()), std::string("changed\n"));
        QVERIFY(!fs::exists(own / "time.ini"));
    }

    void anInterruptedCopyIsCompletedNextTime() {
        TempDir dir;
        const fs::path installed = MakeInstalledExample(dir);
        const fs::path own = dir.path() / "own";
        fs::create_directories(own);
        dir.write("own/spatial.ini", "[Radius]\t1\n");  // the setups were copied, events not
        QVERIFY(CopyExampleOnce(installed.string(), own.string()));
        QVERIFY(fs::exists(own / "events.dat"));
        CalculationSetup copied;
        QVERIFY(LoadSetupFile(copied, (own / "spatial.ini").string()).ok());
        QCOMPARE(copied.Radius, 8.0);
    }

    void aFolderThatCannotBeMadeIsReported() {
        TempDir dir;
        const fs::path installed = MakeInstalledExample(dir);
        dir.write("file", "not a folder");
        QVERIFY(!CopyExampleOnce(installed.string(), dir.file("file/examples")));
        QVERIFY(!CopyExampleOnce(dir.file("missing"), dir.file("own")));
        QVERIFY(!fs::exists(dir.path() / "own/events.dat"));
    }

    void anInstalledProgramKeepsSetupIniInTheConfigFolderEvenWhenItMayWriteItsOwn() {
        TempDir dir;
        MakeInstalledExample(dir);
        ScopedEnv xdg("XDG_CONFIG_HOME", QByteArray(dir.file("config").c_str()));
        // The temporary bin folder is writable, as /usr/bin is for root.
        QCOMPARE(SetupIniPathFor(dir.file("usr/bin/korvane")),
                 dir.file("config/Korvane/Setup.ini"));
        // Run from a build folder it stays beside the program.
        fs::create_directories(dir.path() / "build/src/app");
        QCOMPARE(SetupIniPathFor(dir.file("build/src/app/korvane")),
                 dir.file("build/src/app/Setup.ini"));
    }

    void fromTheBuildFolderTheSourceTreeExampleIsUsed() {
        // The test program is not installed: no share/korvane beside it.
        QCOMPARE(BundledExampleFolder(),
                 (fs::path(KORVANE_SOURCE_DIR) / "examples").lexically_normal().string());
    }
};

const bool registered = RegisterAppTest<ExampleFolderTest>();

}  // namespace
}  // namespace korvane::testing

#include "ExampleFolderTest.moc"
