// The main window under faults: a container that changes after its scan, a program directory
// that cannot take files, a converter that still holds its input, awkward file names, a
// container beyond the size limit, and converters that crash, hang or write an unplayable WAV.
// Every case runs through the real window's handlers, with the dialog seam answering, and
// checks that the window stays usable and that nothing outside the program directory changed.
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "convert/tests/CommandTestSupport.h"
#include "convert/tests/StandInWav.h"
#include "platform/Application.h"
#include "platform/DialogSeam.h"
#include "platform/ExclusiveOpen.h"
#include "platform/FileFaults.h"
#include "platform/tests/ScratchFiles.h"
#include "ui/Unit1.h"

using platform::Application;
using platform::SoundOutcome;

namespace {

namespace fs = std::filesystem;

std::string MakeDirectory(const std::string& path) {
    fs::create_directories(path);
    return path;
}

// Every entry under root with its kind, size and modification time, by path relative to root;
// the program directory's entries are left out, as the commands may write there.
std::map<std::string, std::string> Listing(const std::string& root, const std::string& skip) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string path = entry.path().string();
        if (path.rfind(skip, 0) == 0 || path + "/" == skip) {
            continue;
        }
        struct stat info {};
        ::lstat(path.c_str(), &info);
        std::ostringstream described;
        described << std::oct << info.st_mode << std::dec << " " << info.st_size << " "
                  << info.st_mtim.tv_sec << "." << info.st_mtim.tv_nsec;
        entries[path.substr(root.size())] = described.str();
    }
    return entries;
}

std::vector<std::string> Names(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// True while the process runs; a zombie or a process that is gone counts as ended.
bool Running(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return false;
    }
    const auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

// A row of a table of cases, shown by its name in test names and failure messages.
struct NamedCase {
    const char* name;
};

std::ostream& operator<<(std::ostream& out, const NamedCase& row) {
    return out << row.name;
}

enum class Command { Play, Convert };

std::string CommandName(Command command) {
    return command == Command::Play ? "Play" : "Convert";
}

// Each row of a table of cases, once with each command.
template <class Row, std::size_t Count>
auto EveryCommandWith(const Row (&rows)[Count]) {
    return testing::Combine(testing::ValuesIn(rows),
                            testing::Values(Command::Play, Command::Convert));
}

template <class Row>
std::string CaseThenCommand(const testing::TestParamInfo<std::tuple<Row, Command>>& info) {
    return std::string(std::get<0>(info.param).name) + "Then" +
           CommandName(std::get<1>(info.param));
}

class FaultTest : public testing::Test {
  protected:
    void SetUp() override {
        // The play must reach a sound device, also when the test program is run by hand.
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        Application().Initialize();
        Catalogue = StreamCatalogue{};
        Application().CreateForm(Form1);
        // The converter of the convert command runs in the current directory: make that one of
        // the watched directories too.
        previousDirectory_ = testsupport::CurrentDirectory();
        ASSERT_EQ(::chdir(workDir_.c_str()), 0);
        good_ = testsupport::MakeContainer(boxDir_ + "good.dat", {"first stream", "second one"});
    }

    void TearDown() override {
        for (pid_t pid : ConverterPids()) {
            ::kill(pid, SIGKILL);
        }
        Application().DestroyForms();
        EXPECT_EQ(::chdir(previousDirectory_.c_str()), 0);
    }

    // The fault converter as sx.exe, behaving as mode says.
    void InstallFaultConverter(const std::string& mode) {
        scratch::WriteFile(programDir_ + "fault.mode", mode);
        ASSERT_EQ(::symlink(KESTRIN_FAULT_SX_PATH, (programDir_ + "sx.exe").c_str()), 0);
    }

    // The process ids that the fault converter recorded.
    std::vector<pid_t> ConverterPids() const {
        std::vector<pid_t> pids;
        std::ifstream in(programDir_ + "fault.pid");
        for (pid_t pid; in >> pid;) {
            pids.push_back(pid);
        }
        return pids;
    }

    bool ConvertersEnded() const {
        const std::vector<pid_t> pids = ConverterPids();
        return !pids.empty() && std::none_of(pids.begin(), pids.end(), Running);
    }

    void OpenFile(const std::string& path) {
        dialogs.openAnswers.push_back(path);
        Form1->Button1->click();
    }

    void Run(Command command, std::int32_t row) {
        Form1->ListBox1->SetItemIndex(row);
        (command == Command::Play ? Form1->Button3 : Form1->Button5)->click();
    }

    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < Form1->ListBox1->Count(); ++i) {
            rows.push_back(Form1->ListBox1->Item(i));
        }
        return rows;
    }

    std::map<std::string, std::string> Outside() const {
        return Listing(parent_.Path(), programDir_);
    }

    // The last message is the standard failure report with text.
    void ExpectFailureReport(const std::string& text) const {
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_EQ(dialogs.messages.back().text, text);
        EXPECT_EQ(dialogs.messages.back().caption, Application().Title());
        EXPECT_EQ(dialogs.messages.back().flags, platform::MB_ICONSTOP);
    }

    // A scan of a sound container and a play of its second stream through a well-behaved
    // converter both work, and the stream's own bytes reach the converter.
    void ExpectWindowStillUsable() {
        ASSERT_FALSE(Application().Terminated());
        dialogs.messages.clear();
        platform::SetProgramDirectoryForTesting(programDir_);
        for (const char* name : {"sx.exe", "standin.mode", "standin.log"}) {
            ::unlink((programDir_ + name).c_str());
        }
        testsupport::StandIn standIn(programDir_, "wav");
        OpenFile(good_.path);
        ASSERT_EQ(Rows(), (std::vector<std::string>{"good.dat1.asf", "good.dat2.asf"}));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "Founded *.asf: 2");
        platform_.outcomes.clear();
        platform_.onPause = [&] {
            scratch::WaitUntil(
                [&] { return platform::CanOpenExclusively(programDir_ + "temp.wav"); });
        };

        Run(Command::Play, 1);

        EXPECT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(platform_.outcomes, std::vector{SoundOutcome::PlayedFile});
        EXPECT_EQ(scratch::ReadFile(programDir_ + "temp.wav"), StandInWavFor(good_.StreamBytes(1)));
    }

    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogSeam seam{dialogs};
    // The container's directory, the program directory and the working directory side by side
    // in one scratch parent, whose listing shows any file touched outside the program directory.
    scratch::Directory parent_;
    std::string boxDir_ = MakeDirectory(parent_ / "box/");
    std::string programDir_ = MakeDirectory(parent_ / "program/");
    std::string workDir_ = MakeDirectory(parent_ / "work/");
    testsupport::EventLog log_;
    testsupport::ControlledPlatform platform_{programDir_, log_};
    testsupport::Container good_;
    std::string previousDirectory_;
};

// --- The container changes between the scan and a command ---------------------------------

struct ContainerChange : NamedCase {
    std::function<void(const testsupport::Container&)> change;
    std::function<std::string(const testsupport::Container&)> report;
};

const ContainerChange kContainerChanges[] = {
    {"Deleted", [](const auto& box) { ASSERT_EQ(::unlink(box.path.c_str()), 0); },
     [](const auto& box) {
         return "Cannot open file \"" + box.path + "\". No such file or directory.";
     }},
    {"ShrunkIntoTheStream",
     [](const auto& box) {
         ASSERT_EQ(::truncate(box.path.c_str(), box.catalogue.StreamEnds[1] - 3), 0);
     },
     [](const auto&) { return std::string("Stream read error."); }},
    {"ReplacedByADirectory",
     [](const auto& box) {
         ASSERT_EQ(::unlink(box.path.c_str()), 0);
         ASSERT_EQ(::mkdir(box.path.c_str(), 0755), 0);
     },
     [](const auto& box) { return "Cannot open file \"" + box.path + "\". Is a directory."; }},
};

class ContainerChangedTest
    : public FaultTest,
      public testing::WithParamInterface<std::tuple<ContainerChange, Command>> {};

TEST_P(ContainerChangedTest, CommandReportsTheFailureAndWritesNothing) {
    const auto& [change, command] = GetParam();
    InstallFaultConverter("badwav");
    const auto box = testsupport::MakeContainer(boxDir_ + "music.dat", {"one", "two", "three"});
    OpenFile(box.path);
    ASSERT_EQ(Rows().size(), 3u);
    change.change(box);
    dialogs.messages.clear();
    const auto before = Outside();

    Run(command, 1);

    ASSERT_EQ(dialogs.messages.size(), 1u);
    ExpectFailureReport(change.report(box));
    EXPECT_EQ(Outside(), before);
    EXPECT_THAT(Names(programDir_), testing::ElementsAre("fault.mode", "sx.exe"));
    EXPECT_TRUE(ConverterPids().empty());
    ExpectWindowStillUsable();
}

INSTANTIATE_TEST_SUITE_P(Changes, ContainerChangedTest, EveryCommandWith(kContainerChanges),
                         CaseThenCommand<ContainerChange>);

// --- The program directory takes no files ----------------------------------------------------

struct UnwritableDirectory : NamedCase {
    // Makes the program directory unwritable; returns the one that the commands now see.
    std::function<std::string(const std::string& parent, const std::string& programDir)> make;
    const char* reason;
};

const UnwritableDirectory kUnwritableDirectories[] = {
    // Root may write into any directory, but not into one that lies under a regular file.
    {"UnderARegularFile",
     [](const std::string& parent, const std::string&) {
         scratch::WriteFile(parent + "plain-file", "not a directory");
         return parent + "plain-file/";
     },
     "Not a directory"},
    {"RefusedByTheSystem",
     [](const std::string&, const std::string& programDir) {
         for (const char* name : {"temp.asf", "toconvert.asf"}) {
             platform::faults::FailOpen(programDir + name, EACCES);
         }
         return programDir;
     },
     "Permission denied"},
};

class UnwritableProgramDirectoryTest
    : public FaultTest,
      public testing::WithParamInterface<std::tuple<UnwritableDirectory, Command>> {};

TEST_P(UnwritableProgramDirectoryTest, CommandReportsTheFileItCannotCreate) {
    const auto& [directory, command] = GetParam();
    platform::faults::ScopedClear clearFaults;
    OpenFile(good_.path);
    const std::string seen = directory.make(parent_.Path(), programDir_);
    platform::SetProgramDirectoryForTesting(seen);
    dialogs.messages.clear();
    const auto before = Outside();

    Run(command, 0);

    const std::string target = seen + (command == Command::Play ? "temp.asf" : "toconvert.asf");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    ExpectFailureReport("Cannot create file \"" + target + "\". " + directory.reason + ".");
    EXPECT_EQ(Outside(), before);
    EXPECT_TRUE(Names(programDir_).empty());
    platform::faults::ClearAll();
    ExpectWindowStillUsable();
}

INSTANTIATE_TEST_SUITE_P(Directories, UnwritableProgramDirectoryTest,
                         EveryCommandWith(kUnwritableDirectories),
                         CaseThenCommand<UnwritableDirectory>);

// --- A converter still holds temp.asf when the next play starts ------------------------------

TEST_F(FaultTest, PlayWhileTheLastConverterStillReadsTempAsfIsRefusedAndTheFirstPlayGoesOn) {
    InstallFaultConverter("hold");
    OpenFile(good_.path);
    dialogs.messages.clear();
    const auto before = Outside();
    int pauses = 0;
    // At the first pause the user plays the other row, which runs in the wait's event pass;
    // at the second the converter lets go of its input and finishes.
    platform_.onPause = [&] {
        ++pauses;
        if (pauses == 1) {
            ASSERT_TRUE(scratch::WaitUntil([&] { return ConverterPids().size() == 1; }));
            ASSERT_TRUE(scratch::WaitUntil(
                [&] { return platform::IsOpenElsewhere(programDir_ + "temp.asf"); }));
            QTimer::singleShot(0, Form1, [this] { Run(Command::Play, 0); });
        } else if (pauses == 2) {
            scratch::WriteFile(programDir_ + "fault.release", "");
            ASSERT_TRUE(scratch::WaitUntil([&] { return ConvertersEnded(); }));
        }
    };

    Run(Command::Play, 1);

    ASSERT_EQ(dialogs.messages.size(), 1u);
    ExpectFailureReport("Cannot create file \"" + programDir_ +
                        "temp.asf\". Device or resource busy.");
    EXPECT_EQ(pauses, 2);
    EXPECT_EQ(ConverterPids().size(), 1u);
    // The converter read the stream it was started on, untouched by the refused play.
    EXPECT_EQ(scratch::ReadFile(programDir_ + "temp.asf"), good_.StreamBytes(1));
    EXPECT_EQ(scratch::ReadFile(programDir_ + "temp.wav"), StandInWavFor(good_.StreamBytes(1)));
    EXPECT_EQ(platform_.outcomes, std::vector{SoundOutcome::PlayedFile});
    EXPECT_EQ(Outside(), before);
    ExpectWindowStillUsable();
}

// --- Awkward container names -----------------------------------------------------------------

struct AwkwardName : NamedCase {
    std::string fileName;
};

class AwkwardNameTest : public FaultTest, public testing::WithParamInterface<AwkwardName> {};

TEST_P(AwkwardNameTest, ScanPlayAndConvertKeepTheNameByteForByte) {
    const std::string fileName = GetParam().fileName;
    testsupport::StandIn standIn(programDir_, "wav");
    const auto box = testsupport::MakeContainer(boxDir_ + fileName, {"alpha", "beta"});
    platform_.onPause = [&] {
        scratch::WaitUntil([&] { return platform::CanOpenExclusively(programDir_ + "temp.wav"); });
    };
    const auto before = Outside();

    OpenFile(box.path);
    ASSERT_EQ(Rows(), (std::vector<std::string>{fileName + "1.asf", fileName + "2.asf"}));
    EXPECT_EQ(Form1->StatusBar1->PanelText(), fileName);
    Run(Command::Convert, 1);
    ASSERT_TRUE(standIn.WaitForRuns(1));
    Run(Command::Play, 0);
    ASSERT_TRUE(standIn.WaitForRuns(2));

    const std::string output = programDir_ + fileName + "2.asf.wav";
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, "File was saved to: " + output);
    EXPECT_EQ(standIn.Runs()[0].arguments,
              (std::vector<std::string>{"-wave", programDir_ + "toconvert.asf", "-=" + output}));
    EXPECT_EQ(scratch::ReadFile(output), StandInWavFor(box.StreamBytes(1)));
    EXPECT_EQ(scratch::ReadFile(programDir_ + "temp.wav"), StandInWavFor(box.StreamBytes(0)));
    EXPECT_EQ(platform_.outcomes, std::vector{SoundOutcome::PlayedFile});
    EXPECT_THAT(Names(programDir_), testing::UnorderedElementsAre(
                                        "sx.exe", "standin.mode", "standin.log", "toconvert.asf",
                                        "temp.asf", "temp.wav", fileName + "2.asf.wav"));
    EXPECT_EQ(Outside(), before);
}

INSTANTIATE_TEST_SUITE_P(Names, AwkwardNameTest,
                         testing::Values(AwkwardName{"Quotes", "say \"hi\" 'there'.dat"},
                                         AwkwardName{"Blanks", "  two  blanks .dat "},
                                         AwkwardName{"LeadingDash", "-wave"},
                                         AwkwardName{"BackslashBeforeQuote", "back\\\"slash\\"},
                                         AwkwardName{"InvalidUtf8", "bad\xff\xfe-\xc3(.dat"},
                                         AwkwardName{"AllAtOnce", "-\"a b\"\xe9\\.dat"}),
                         [](const auto& row) { return std::string(row.param.name); });

// --- A container beyond the size limit ------------------------------------------------------

TEST_F(FaultTest, ContainerOverTwoGibibytesIsRefusedClearlyAndLeavesAnEmptyList) {
    OpenFile(good_.path);
    const std::string path = boxDir_ + "huge.dat";
    constexpr std::int64_t kSize = std::int64_t{3} << 30;
    { std::ofstream create(path); }
    ASSERT_EQ(::truncate(path.c_str(), kSize), 0);
    dialogs.messages.clear();
    const auto before = Outside();

    OpenFile(path);

    ASSERT_EQ(dialogs.messages.size(), 1u);
    ExpectFailureReport("Cannot scan file \"" + path + "\": it holds 3221225472 bytes, more " +
                        "than the 2 GiB limit of 2147483647 bytes.");
    EXPECT_EQ(Form1->ListBox1->Count(), 0);
    EXPECT_EQ(Catalogue.StreamCount, 0);
    EXPECT_EQ(Outside(), before);
    ::unlink(path.c_str());
    ExpectWindowStillUsable();
}

// --- Converters that misbehave ---------------------------------------------------------------

struct MisbehavingConverter : NamedCase {
    const char* mode;
    bool exits;  // false: it never exits, and the wait must give up on its own
};

class MisbehavingConverterTest : public FaultTest,
                                 public testing::WithParamInterface<MisbehavingConverter> {};

TEST_P(MisbehavingConverterTest, PlayEndsWithTheAlertSoundAndNoReport) {
    const MisbehavingConverter& converter = GetParam();
    InstallFaultConverter(converter.mode);
    OpenFile(good_.path);
    dialogs.messages.clear();
    int pauses = 0;
    platform_.onPause = [&] {
        ++pauses;
        if (converter.exits) {
            ASSERT_TRUE(scratch::WaitUntil([&] { return ConvertersEnded(); }));
        } else if (pauses == 1) {
            // Once it holds its output, every further probe meets a converter at work.
            ASSERT_TRUE(scratch::WaitUntil(
                [&] { return platform::IsOpenElsewhere(programDir_ + "temp.wav"); }));
        }
    };
    const auto before = Outside();

    Run(Command::Play, 0);

    if (converter.exits) {
        EXPECT_LE(pauses, 1);
    } else {
        EXPECT_EQ(pauses, 101);
        EXPECT_EQ(std::count(log_.begin(), log_.end(), "pause 100"), 101);
        const std::vector<pid_t> pids = ConverterPids();
        ASSERT_EQ(pids.size(), 1u);
        EXPECT_TRUE(Running(pids[0]));
        ASSERT_EQ(::kill(pids[0], SIGKILL), 0);
        EXPECT_TRUE(scratch::WaitUntil([&] { return !Running(pids[0]); }));
    }
    EXPECT_EQ(log_.back(), "play " + programDir_ + "temp.wav");
    EXPECT_EQ(platform_.outcomes, std::vector{SoundOutcome::PlayedAlert});
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Outside(), before);
    ExpectWindowStillUsable();
}

INSTANTIATE_TEST_SUITE_P(Converters, MisbehavingConverterTest,
                         testing::Values(MisbehavingConverter{"Crashes", "crash", true},
                                         MisbehavingConverter{"NeverExits", "hang", false},
                                         MisbehavingConverter{"WritesAnUnplayableWav", "badwav",
                                                              true}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
