// The command line, parsed in process, and the built sx.exe run as the player runs it: exit
// codes, messages, and what is left at the output name.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "StreamBuilder.h"
#include "sx/CommandLine.h"
#include "sx/Decoder.h"

namespace sx::test {
namespace {

namespace fs = std::filesystem;
using Action = CommandLine::Action;

struct ParseCase {
    std::string name;
    std::vector<std::string_view> args;
    Action action;
    std::string input;
    std::string output;
};

void PrintTo(const ParseCase& row, std::ostream* os) {
    *os << row.name;
}

const std::vector<ParseCase> kParseCases{
    {"PlayerForm", {"-wave", "temp.asf", "-=temp.wav"}, Action::Convert, "temp.asf", "temp.wav"},
    {"OutputAsNextArgument",
     {"-wave", "a b.asf", "-=", "c d.wav"},
     Action::Convert,
     "a b.asf",
     "c d.wav"},
    {"OutputFirst", {"-=/x/o.wav", "-wave", "/x/i.asf"}, Action::Convert, "/x/i.asf", "/x/o.wav"},
    {"NoArguments", {}, Action::Help, "", ""},
    {"Help", {"--help"}, Action::Help, "", ""},
    {"Version", {"--version"}, Action::Version, "", ""},
    {"NoOutput", {"-wave", "a.asf"}, Action::Wrong, "", ""},
    {"NoInput", {"-=a.wav"}, Action::Wrong, "", ""},
    {"InputNameMissing", {"-=a.wav", "-wave"}, Action::Wrong, "", ""},
    {"OutputNameMissing", {"-wave", "a.asf", "-="}, Action::Wrong, "", ""},
    {"EmptyOutputName", {"-wave", "a.asf", "-=", ""}, Action::Wrong, "", ""},
    {"InputTwice", {"-wave", "a.asf", "-wave", "b.asf", "-=c.wav"}, Action::Wrong, "", ""},
    {"OutputTwice", {"-wave", "a.asf", "-=c.wav", "-=d.wav"}, Action::Wrong, "", ""},
    {"UnknownOption", {"-wave", "a.asf", "-=c.wav", "-x"}, Action::Wrong, "", ""},
    {"HelpAmongOthers", {"-wave", "a.asf", "--help"}, Action::Wrong, "", ""},
};

class ParseCommandLine : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandLine, ReadsTheArguments) {
    const ParseCase& row = GetParam();
    const CommandLine line = parseCommandLine(row.args);
    EXPECT_EQ(line.action, row.action);
    EXPECT_EQ(line.input, row.input);
    EXPECT_EQ(line.output, row.output);
    EXPECT_EQ(line.error.empty(), row.action != Action::Wrong) << line.error;
}

INSTANTIATE_TEST_SUITE_P(Forms, ParseCommandLine, ::testing::ValuesIn(kParseCases),
                         [](const auto& row) { return row.param.name; });

std::vector<std::uint8_t> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string readText(const fs::path& path) {
    const auto bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Runs sx.exe in its own directory of the test, as the player's play form does.
class ConverterProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               (std::string("sx-cli-") + info->name() + "-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        StreamSpec spec;
        spec.channels = 2;
        spec.blockCounts = {56, 56, 30};
        stream_ = encodeStream(spec).bytes;
        writeFile(dir_ / "temp.asf", stream_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // The arguments as shell text; returns the exit code.
    int run(const std::string& arguments) {
        const std::string command = "cd '" + dir_.string() + "' && '" SX_EXE "' " + arguments +
                                    " >'" + (dir_ / "..stdout").string() + "' 2>'" +
                                    (dir_ / "..stderr").string() + "'";
        const int status = std::system(command.c_str());
        out_ = readText(dir_ / "..stdout");
        err_ = readText(dir_ / "..stderr");
        fs::remove(dir_ / "..stdout");
        fs::remove(dir_ / "..stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The names in the directory apart from the input.
    std::vector<std::string> leftOver() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            if (entry.path().filename() != "temp.asf")
                names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
    std::vector<std::uint8_t> stream_;
    std::string out_;
    std::string err_;
};

TEST_F(ConverterProgram, WritesTheWavForEveryFormOfTheNames) {
    const std::vector<std::uint8_t> expected = decodeToWav(stream_).wav;
    ASSERT_FALSE(expected.empty());
    const std::vector<std::pair<std::string, std::string>> forms{
        {"-wave \"temp.asf\" -=\"temp.wav\"", "temp.wav"},
        {"-wave temp.asf -= other.wav", "other.wav"},
        {"-wave '" + (dir_ / "temp.asf").string() + "' -='" + (dir_ / "full path.wav").string() +
             "'",
         "full path.wav"},
    };
    for (const auto& [arguments, output] : forms) {
        EXPECT_EQ(run(arguments), 0) << arguments << "\n" << err_;
        EXPECT_EQ(err_, "") << arguments;
        EXPECT_EQ(readFile(dir_ / output), expected) << arguments;
    }
    EXPECT_EQ(leftOver(), (std::vector<std::string>{"full path.wav", "other.wav", "temp.wav"}));
}

TEST_F(ConverterProgram, ReplacesAnOlderOutput) {
    writeFile(dir_ / "temp.wav", {'o', 'l', 'd'});
    EXPECT_EQ(run("-wave temp.asf -=temp.wav"), 0) << err_;
    EXPECT_EQ(readFile(dir_ / "temp.wav"), decodeToWav(stream_).wav);
    EXPECT_EQ(leftOver(), (std::vector<std::string>{"temp.wav"}));
}

TEST_F(ConverterProgram, HelpVersionAndWrongArguments) {
    EXPECT_EQ(run(""), 0);
    EXPECT_NE(out_.find("Usage: sx.exe -wave"), std::string::npos);
    EXPECT_EQ(run("--help"), 0);
    EXPECT_NE(out_.find("Usage: sx.exe -wave"), std::string::npos);
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(out_.rfind("sx.exe ", 0), 0u);
    EXPECT_EQ(run("-wave temp.asf"), 2);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(err_.rfind("sx.exe: no output given", 0), 0u) << err_;
    EXPECT_NE(err_.find("Usage:"), std::string::npos);
    EXPECT_TRUE(leftOver().empty());
}

TEST_F(ConverterProgram, FailuresLeaveNothingAtTheOutputName) {
    struct Row {
        const char* name;
        std::vector<std::uint8_t> input;  // written as bad.asf; empty: no such file
        const char* output;
        const char* message;  // a part of the one line on standard error
    };
    std::vector<std::uint8_t> psAdpcm = stream_;
    psAdpcm[10] = 0x05;  // platform: the second disc console, whose default codec is not decoded
    std::vector<std::uint8_t> cutFirstBlock = stream_;
    cutFirstBlock.resize(fs::file_size(dir_ / "temp.asf") / 3);
    const std::vector<Row> rows{
        {"missing input",
         {},
         "out.wav",
         "cannot open input \"bad.asf\": No such file or directory"},
        {"not a stream", {'R', 'I', 'F', 'F', 0, 0, 0, 0}, "out.wav", "not a stream"},
        {"codec not decoded", psAdpcm, "out.wav", "codec 0x05 is not supported"},
        {"nothing decodable", cutFirstBlock, "out.wav", "nothing decoded, no output written"},
        {"output directory missing", stream_, "no/such/dir/out.wav", "cannot create output"},
    };
    for (const Row& row : rows) {
        fs::remove(dir_ / "bad.asf");
        if (!row.input.empty())
            writeFile(dir_ / "bad.asf", row.input);
        writeFile(dir_ / "out.wav", {'o', 'l', 'd'});  // an older output of the same name
        EXPECT_EQ(run(std::string("-wave bad.asf -=") + row.output), 1) << row.name;
        EXPECT_NE(err_.find(row.message), std::string::npos) << row.name << ": " << err_;
        EXPECT_EQ(err_.rfind("sx.exe: ", 0), 0u) << row.name;
        EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << row.name << ": " << err_;
        EXPECT_FALSE(fs::exists(dir_ / row.output)) << row.name;
        fs::remove(dir_ / "bad.asf");
        fs::remove(dir_ / "out.wav");
        EXPECT_TRUE(leftOver().empty()) << row.name;
    }
}

TEST_F(ConverterProgram, InputThatIsADirectoryIsRefused) {
    fs::create_directory(dir_ / "folder.asf");
    EXPECT_EQ(run("-wave folder.asf -=out.wav"), 1);
    EXPECT_NE(err_.find("cannot open input \"folder.asf\": Is a directory"), std::string::npos)
        << err_;
    EXPECT_EQ(leftOver(), (std::vector<std::string>{"folder.asf"}));
}

TEST_F(ConverterProgram, CutStreamKeepsWhatDecodedAndWarns) {
    std::vector<std::uint8_t> cut = stream_;
    cut.resize(cut.size() - 40);
    writeFile(dir_ / "cut.asf", cut);
    EXPECT_EQ(run("-wave cut.asf -=cut.wav"), 0);
    EXPECT_NE(err_.find("warning"), std::string::npos) << err_;
    const ParsedWav wav = parseWav(readFile(dir_ / "cut.wav"));
    ASSERT_TRUE(wav.valid);
    EXPECT_EQ(wav.samples.size(), 2u * 112);
}

TEST_F(ConverterProgram, RefusesToWriteOverItsInput) {
    EXPECT_EQ(run("-wave temp.asf -=./temp.asf"), 1);
    EXPECT_NE(err_.find("is the input file"), std::string::npos) << err_;
    EXPECT_EQ(readFile(dir_ / "temp.asf"), stream_);
}

}  // namespace
}  // namespace sx::test
