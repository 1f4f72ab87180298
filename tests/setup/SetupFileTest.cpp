#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>

#include "setup/SetupFile.h"
#include "support/Folders.h"
#include "support/SetupBuilder.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::ReadWholeFile;
using testing::TempDir;
namespace fs = std::filesystem;

// Every field different from its default and from every other field.
CalculationSetup DistinctSetup() {
    return testing::SetupBuilder()
        .Events("/data/before.dat")
        .Along(ViewDirection::AlongY)
        .X(-11, 12)
        .Y(-13, 14)
        .Z(-15, 16)
        .Time(17, 18)
        .Size(640, 480)
        .Maximum(19)
        .Gaussian()
        .Pictures(20)
        .Cumulative()
        .Radius(21)
        .Build();
}

std::size_t FilesIn(const fs::path& folder) {
    return testing::FolderNames(folder).size();
}

TEST(SaveSetupFile, WritesTheNineteenLinesByteForByte) {
    const CalculationSetup setup = testing::SetupBuilder()
                                       .Events("/data/run 1\tb.dat")
                                       .Along(ViewDirection::AlongZ)
                                       .X(-1.5, 1000)
                                       .Y(0.000123456789, 1e300)
                                       .Z(-0.0, 2.5)
                                       .Time(0, 3600)
                                       .Size(640.9, -480.9)
                                       .Maximum(12.5, false)
                                       .Gaussian()
                                       .Pictures(25)
                                       .Radius(3)
                                       .Build();
    TempDir dir;
    const std::string path = dir.file("Setup");  // no extension is added
    ASSERT_TRUE(SaveSetupFile(setup, path).ok());
    EXPECT_EQ(ReadWholeFile(path),
              "[File-Path]\t/data/run 1\tb.dat\r\n"
              "[Direction]\t2\r\n"
              "[Amin]\t-1.500000e+00\r\n"
              "[Amax]\t1.000000e+03\r\n"
              "[Bmin]\t1.23456789e-04\r\n"  // more digits than %e keeps: all of them
              "[Bmax]\t1.000000e+300\r\n"
              "[Cmin]\t-0.000000e+00\r\n"
              "[Cmax]\t2.500000e+00\r\n"
              "[Timestart]\t0.000000e+00\r\n"
              "[Timeend]\t3.600000e+03\r\n"
              "[Fixedsize]\t1\r\n"
              "[Width]\t640\r\n"
              "[Height]\t-480\r\n"
              "[Fixeddensity]\t0\r\n"
              "[Maxdensity]\t1.250000e+01\r\n"
              "[Gaussiandistance]\t1\r\n"
              "[NoOfPictures]\t2.500000e+01\r\n"
              "[Cumulative]\t0\r\n"
              "[Radius]\t3.000000e+00\r\n");
    EXPECT_EQ(FilesIn(dir.path()), 1u);  // no temporary file left behind
}

TEST(SetupFile, RoundTripKeepsEveryDigitAndTruncatesWholeNumbers) {
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-8, 8);
    auto number = [&] { return mantissa(random) * std::pow(10.0, exponent(random)); };
    TempDir dir;
    const std::string path = dir.file("round.ini");
    for (int round = 0; round < 60; ++round) {
        CalculationSetup saved;
        saved.FilePath = round % 2 ? "  /a folder/with\ttab.dat " : "";
        for (double* field :
             {&saved.Amin, &saved.Amax, &saved.Bmin, &saved.Bmax, &saved.Cmin, &saved.Cmax,
              &saved.Timestart, &saved.Timeend, &saved.Width, &saved.Height, &saved.Maxdensity,
              &saved.NoOfPictures, &saved.Radius}) {
            *field = number();
        }
        saved.Direction =
            round % 5 == 4 ? std::nullopt : std::optional(static_cast<ViewDirection>(round % 5));
        saved.Fixedsize = round % 2 == 0;
        saved.Fixeddensity = round % 3 == 0;
        saved.Gaussiandistance = round % 5 == 0;
        saved.Cumulative = round % 7 == 0;
        ASSERT_TRUE(SaveSetupFile(saved, path).ok());
        CalculationSetup loaded = DistinctSetup();
        ASSERT_TRUE(LoadSetupFile(loaded, path).ok());
        EXPECT_EQ(loaded.FilePath, saved.FilePath);
        EXPECT_EQ(loaded.Direction, saved.Direction);
        EXPECT_EQ(loaded.Fixedsize, saved.Fixedsize);
        EXPECT_EQ(loaded.Fixeddensity, saved.Fixeddensity);
        EXPECT_EQ(loaded.Gaussiandistance, saved.Gaussiandistance);
        EXPECT_EQ(loaded.Cumulative, saved.Cumulative);
        for (auto field : {&CalculationSetup::Width, &CalculationSetup::Height}) {
            EXPECT_EQ(loaded.*field, std::trunc(saved.*field)) << saved.*field;
        }
        for (auto field :
             {&CalculationSetup::Amin, &CalculationSetup::Amax, &CalculationSetup::Bmin,
              &CalculationSetup::Bmax, &CalculationSetup::Cmin, &CalculationSetup::Cmax,
              &CalculationSetup::Timestart, &CalculationSetup::Timeend,
              &CalculationSetup::Maxdensity, &CalculationSetup::NoOfPictures,
              &CalculationSetup::Radius}) {
            EXPECT_EQ(loaded.*field, saved.*field);
        }
    }
}

TEST(LoadSetupFile, ChangesOnlyTheFieldsOfKeysItMeets) {
    struct Case {
        const char* name;
        std::string content;
        std::function<void(CalculationSetup&)> change;
    };
    const Case cases[] = {
        {"only the radius", "[Radius]\t5", [](auto& s) { s.Radius = 5; }},
        {"keys are matched with case", "[radius]\t5\n", [](auto&) {}},
        {"a key needs its TAB", "[File-Path]\n[Radius] 5\n", [](auto&) {}},
        {"a TAB and nothing empties the path", "[File-Path]\t\r\n",
         [](auto& s) { s.FilePath.clear(); }},
        {"the path keeps its spaces and TABs", "[File-Path]\t C:\\a b\t c \r\n",
         [](auto& s) { s.FilePath = " C:\\a b\t c "; }},
        {"a decimal comma ends the number", "[Radius]\t2,5\r\n", [](auto& s) { s.Radius = 2; }},
        {"three-digit exponents", "[Maxdensity]\t1.000000e+003\r\n[Amin]\t-2.5E-003\n",
         [](auto& s) {
             s.Maxdensity = 1000;
             s.Amin = -0.0025;
         }},
        {"the last of a repeated key wins", "[Radius]\t1\n[Width]\t7\n[Radius]\t9",
         [](auto& s) {
             s.Radius = 9;
             s.Width = 7;
         }},
        {"white space around the key is part of it", " [Width]\t5\n[Width] \t5\n", [](auto&) {}},
        {"text that is no number reads as zero", "junk\tvalue\n\n[Height]\tabc\n",
         [](auto& s) { s.Height = 0; }},
        {"whole-number keys are not truncated on reading", "[Width]\t1.9\n",
         [](auto& s) { s.Width = 1.9; }},
        {"keys in any order, LF line ends", "[Cumulative]\t0\n[Cmax]\t-1\n[Timestart]\t 4\n",
         [](auto& s) {
             s.Cumulative = 0;
             s.Cmax = -1;
             s.Timestart = 4;
         }},
        {"empty file", "", [](auto&) {}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        CalculationSetup loaded = DistinctSetup();
        CalculationSetup expected = DistinctSetup();
        c.change(expected);
        ASSERT_TRUE(LoadSetupFile(loaded, dir.write("case.ini", c.content)).ok()) << c.name;
        EXPECT_TRUE(loaded == expected) << c.name;
    }
}

// The direction and the switches are read as the dialog shows them: the whole part of the
// number selects a radio button (none outside 0..3) and checks a box only when it is 1.
TEST(LoadSetupFile, ReadsTheDirectionAndTheSwitchesByTheirWholePart) {
    struct Row {
        const char* stored;
        std::optional<ViewDirection> direction;
        bool on;
    };
    const Row rows[] = {
        {"0", ViewDirection::AlongX, false},
        {"1.9", ViewDirection::AlongY, true},
        {"2.9", ViewDirection::AlongZ, false},
        {"3", ViewDirection::Perspective, false},
        {"-0.9", ViewDirection::AlongX, false},
        {"4", std::nullopt, false},
        {"-1", std::nullopt, false},
        {"1e300", std::nullopt, false},
        {"x", ViewDirection::AlongX, false},
    };
    TempDir dir;
    for (const Row& row : rows) {
        const std::string text = std::string("[Direction]\t") + row.stored + "\n[Fixedsize]\t" +
                                 row.stored + "\n[Cumulative]\t" + row.stored + "\n";
        CalculationSetup loaded = DistinctSetup();
        ASSERT_TRUE(LoadSetupFile(loaded, dir.write("case.ini", text)).ok());
        EXPECT_EQ(loaded.Direction, row.direction) << row.stored;
        EXPECT_EQ(loaded.Fixedsize, row.on) << row.stored;
        EXPECT_EQ(loaded.Cumulative, row.on) << row.stored;
    }
}

TEST(LoadSetupFile, FailsWithoutChangeWhenTheFileCannotBeOpened) {
    TempDir dir;
    CalculationSetup setup = DistinctSetup();
    EXPECT_FALSE(LoadSetupFile(setup, dir.file("missing.ini")).ok());
    EXPECT_FALSE(LoadSetupFile(setup, dir.path().string()).ok());
    EXPECT_TRUE(setup == DistinctSetup());
}

// A pipe or a device where a setup file belongs is named at once, never waited on: loading
// refuses it, and a save into a pipe that nobody reads fails instead of blocking.
TEST(SetupFile, APipeIsNeverWaitedOn) {
    TempDir dir;
    const std::string pipe = dir.file("Setup.ini");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    CalculationSetup setup = DistinctSetup();
    Status status = LoadSetupFile(setup, pipe);
    EXPECT_EQ(status.code(), Status::Code::InvalidInput);
    EXPECT_NE(status.message().find("is not a regular file"), std::string::npos);
    EXPECT_EQ(LoadSetupFile(setup, "/dev/zero").code(), Status::Code::InvalidInput);
    EXPECT_TRUE(setup == DistinctSetup());
    status = SaveSetupFile(setup, pipe);
    EXPECT_EQ(status.code(), Status::Code::IoError);
    EXPECT_EQ(status.message(),
              "Cannot write the setup file " + pipe + ": No such device or address");
}

TEST(SaveSetupFile, ReplacesAnExistingFileAndKeepsALinkToIt) {
    TempDir dir;
    const std::string real = dir.write("real.ini", "old content that is longer than a setup\n");
    chmod(real.c_str(), 0640);
    const std::string link = dir.file("link.ini");
    fs::create_symlink("real.ini", link);
    ASSERT_TRUE(SaveSetupFile(DistinctSetup(), link).ok());
    EXPECT_TRUE(fs::is_symlink(link));
    CalculationSetup loaded;
    ASSERT_TRUE(LoadSetupFile(loaded, real).ok());
    EXPECT_TRUE(loaded == DistinctSetup());
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FilesIn(dir.path()), 2u);
}

// A setup saved under the name of its own event file (or a link to it) would replace the
// events: refused naming both, the events as they were.
TEST(SaveSetupFile, NeverReplacesItsEventFile) {
    TempDir dir;
    CalculationSetup setup = DistinctSetup();
    setup.FilePath = dir.write("events.dat", "1\t2\t3\t4\n");
    fs::create_symlink("events.dat", dir.file("events.ini"));
    for (const std::string& target : {setup.FilePath, dir.file("events.ini")}) {
        const Status saved = SaveSetupFile(setup, target);
        EXPECT_EQ(saved.code(), Status::Code::InvalidInput) << target;
        EXPECT_NE(saved.message().find("would replace the event file \"" + setup.FilePath),
                  std::string::npos)
            << saved.message();
        EXPECT_EQ(ReadWholeFile(setup.FilePath), "1\t2\t3\t4\n");
    }
}

// Links planted at the names a save used to write first (".Setup.ini.saving-<pid>-<n>-<k>"),
// at "Setup.ini.part" and in the folder of a linked setup file, dangling or pointing at a
// file outside: the save writes past them and the file outside stays as it was.
TEST(SaveSetupFile, LinksPlantedBesideTheFileAreNotFollowed) {
    TempDir dir;
    TempDir outside;
    const std::string victim = outside.write("victim", "not a setup");
    const std::string dangling = outside.file("made-through-a-link");
    const std::string pid = std::to_string(getpid());
    int planted = 0;
    for (const char* name : {"Setup.ini", "real.ini"}) {
        for (int n = 0; n < 20; ++n) {
            for (int k = 0; k < 3; ++k) {
                const std::string link = "." + std::string(name) + ".saving-" + pid + "-" +
                                         std::to_string(n) + "-" + std::to_string(k);
                fs::create_symlink(planted++ % 2 ? victim : dangling, dir.path() / link);
            }
        }
        fs::create_symlink(victim, dir.path() / (std::string(name) + ".part"));
    }
    fs::create_symlink("real.ini", dir.path() / "link.ini");
    for (const char* name : {"Setup.ini", "link.ini", "Setup.ini", "link.ini"}) {
        ASSERT_TRUE(SaveSetupFile(DistinctSetup(), dir.file(name)).ok()) << name;
    }
    EXPECT_EQ(ReadWholeFile(victim), "not a setup");
    EXPECT_FALSE(fs::exists(fs::symlink_status(dangling)));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.file("Setup.ini"))));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.ini")));
    for (const char* name : {"Setup.ini", "real.ini"}) {
        CalculationSetup loaded;
        ASSERT_TRUE(LoadSetupFile(loaded, dir.file(name)).ok());
        EXPECT_TRUE(loaded == DistinctSetup()) << name;
    }
    EXPECT_EQ(FilesIn(dir.path()), static_cast<std::size_t>(planted) + 2 + 3);
}

TEST(SetupFile, FailuresNameTheFileAndTheReason) {
    TempDir dir;
    CalculationSetup setup;
    const std::string missing = dir.file("missing.ini");
    Status status = LoadSetupFile(setup, missing);
    EXPECT_EQ(status.code(), Status::Code::IoError);
    EXPECT_EQ(status.message(),
              "Cannot read the setup file " + missing + ": No such file or directory");
    status = SaveSetupFile(setup, dir.file("gone/Setup.ini"));
    EXPECT_EQ(status.code(), Status::Code::IoError);
    EXPECT_EQ(status.message(), "Cannot write the setup file " + dir.file("gone/Setup.ini") +
                                    ": No such file or directory");
}

TEST(SaveSetupFile, FailsSilentlyWhenTheFileCannotBeCreated) {
    TempDir dir;
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(SaveSetupFile(DistinctSetup(), dir.file("no such folder/Setup.ini")).ok());
    EXPECT_FALSE(SaveSetupFile(DistinctSetup(), dir.path().string()).ok());
    EXPECT_FALSE(SaveSetupFile(DistinctSetup(), "").ok());
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(FilesIn(dir.path()), 0u);
}

TEST(SaveSetupFile, ReadOnlyFolderKeepsThePreviousFile) {
    TempDir dir;
    const std::string old = dir.write("Setup.ini", "[Radius]\t4\r\n");
    chmod(dir.path().c_str(), 0555);
    if (access(dir.path().c_str(), W_OK) == 0) {
        GTEST_SKIP() << "this user may write into read-only folders";
    }
    EXPECT_FALSE(SaveSetupFile(DistinctSetup(), old).ok());
    EXPECT_EQ(ReadWholeFile(old), "[Radius]\t4\r\n");
}

// Holds the size of files this process may write at `bytes` while it lives: a write beyond
// it fails as on a full disk.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        signal(SIGXFSZ, m_oldHandler);
    }

  private:
    rlimit m_old{};
    sighandler_t m_oldHandler;
};

TEST(SaveSetupFile, AFailedWriteReportsItAndKeepsThePreviousFile) {
    TempDir dir;
    const std::string old = dir.write("Setup.ini", "[Radius]\t4\r\n");
    std::vector<std::string> traced;
    const TraceSink trace = [&](const std::string& line) { traced.push_back(line); };
    bool saved;
    {
        FileSizeLimit limit(64);
        saved = SaveSetupFile(DistinctSetup(), old, trace).ok();
    }
    EXPECT_EQ(traced, std::vector<std::string>{"File open NOT succesfull"});
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadWholeFile(old), "[Radius]\t4\r\n");
    EXPECT_EQ(FilesIn(dir.path()), 1u);  // the unfinished new file is gone
}

TEST(SaveSetupFile, AFullDeviceReportsTheFailure) {
    if (access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "no /dev/full";
    }
    std::vector<std::string> traced;
    EXPECT_FALSE(SaveSetupFile(DistinctSetup(), "/dev/full", [&](const std::string& line) {
                     traced.push_back(line);
                 }).ok());
    EXPECT_EQ(traced, std::vector<std::string>{"File open NOT succesfull"});
}

// Sets or removes an environment variable for one scope.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, std::optional<std::string> value) : m_name(name) {
        if (const char* old = getenv(name)) {
            m_old = old;
        }
        Set(value);
    }
    ~ScopedEnvironment() { Set(m_old); }

  private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            setenv(m_name, value->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(SetupIniPath, BesideTheProgramWhenItsFolderIsWritable) {
    TempDir dir;
    EXPECT_EQ(SetupIniPath(dir.file("korvane")), dir.file("Setup.ini"));
}

TEST(SetupIniPath, InTheUsersConfigurationFolderOtherwise) {
    TempDir dir;
    const std::string program = dir.file("not installed here/bin/korvane");
    {
        ScopedEnvironment xdg("XDG_CONFIG_HOME", dir.file("config"));
        EXPECT_EQ(SetupIniPath(program), dir.file("config/Korvane/Setup.ini"));
        EXPECT_TRUE(fs::is_directory(dir.file("config/Korvane")));
    }
    for (const std::optional<std::string>& unusable :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative/config")}) {
        ScopedEnvironment xdg("XDG_CONFIG_HOME", unusable);
        ScopedEnvironment home("HOME", dir.file("home"));
        EXPECT_EQ(SetupIniPath(program), dir.file("home/.config/Korvane/Setup.ini"));
        EXPECT_TRUE(fs::is_directory(dir.file("home/.config/Korvane")));
    }
}

}  // namespace
}  // namespace korvane
