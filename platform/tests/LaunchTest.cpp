#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "platform/Launch.h"
#include "platform/tests/ScratchFiles.h"

namespace {

using Arguments = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string text;
    Arguments expected;

    friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, GivesTheArgumentsOfTheWindowsRules) {
    EXPECT_EQ(platform::SplitCommandLine(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{"PlayFormText",
                  R"(-wave "temp.asf" -="temp.wav")",
                  {"-wave", "temp.asf", "-=temp.wav"}},
        SplitCase{"EmptyText", "", {}}, SplitCase{"OnlyBlanksAndTabs", " \t  ", {}},
        SplitCase{"BlanksAndTabsSeparate", " a \t b  ", {"a", "b"}},
        SplitCase{"QuotedBlanksStayInside", R"("a b" c)", {"a b", "c"}},
        SplitCase{"QuotedAndPlainPiecesGlue", R"(x"y z"w)", {"xy zw"}},
        SplitCase{"EmptyQuotedPairIsAnArgument", R"("" a "")", {"", "a", ""}},
        SplitCase{"BackslashesAloneAreLiteral", R"(a\\b\c d\)", {R"(a\\b\c)", R"(d\)"}},
        SplitCase{"EvenBackslashesBeforeQuoteHalveAndToggle", R"(a\\"b c")", {R"(a\b c)"}},
        SplitCase{
            "OddBackslashesBeforeQuoteGiveLiteralQuote", R"(a\"b \\\"c)", {R"(a"b)", R"(\"c)"}},
        SplitCase{"DoubledQuoteInsideQuotesIsLiteral", R"("a""b" c)", {R"(a"b)", "c"}},
        SplitCase{"DoubledQuoteOutsideQuotesIsNothing", R"(a""b)", {"ab"}},
        SplitCase{"UnclosedQuoteRunsToTheEnd", R"("a b)", {"a b"}},
        SplitCase{"NewlineIsNoSeparator", "a\nb", {"a\nb"}},
        SplitCase{"NonAsciiBytesPassThrough",
                  "\"\xC3\xA9t\xE9 \xE2\x99\xAA\" \xFF",
                  {"\xC3\xA9t\xE9 \xE2\x99\xAA", "\xFF"}}),
    [](const ::testing::TestParamInfo<SplitCase>& row) { return std::string(row.param.name); });

// A name placed between quotes after escaping comes back exactly from the split.
std::string QuotedArgument(const std::string& name) {
    return "\"" + platform::EscapeForQuotes(name) + "\"";
}

struct EscapeCase {
    const char* name;
    std::string original;
    std::string escaped;

    friend void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.name; }
};

class EscapeForQuotesTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeForQuotesTest, EscapesOnlyWhatWouldChangeTheSplit) {
    const EscapeCase& c = GetParam();
    EXPECT_EQ(platform::EscapeForQuotes(c.original), c.escaped);
    EXPECT_EQ(platform::SplitCommandLine(QuotedArgument(c.original)), Arguments{c.original});
}

INSTANTIATE_TEST_SUITE_P(
    Names, EscapeForQuotesTest,
    ::testing::Values(EscapeCase{"PlainName", "temp.wav", "temp.wav"},
                      EscapeCase{"BlanksAndTabs", "my music\tfile.wav", "my music\tfile.wav"},
                      EscapeCase{"InnerBackslashes", R"(a\b\\c.wav)", R"(a\b\\c.wav)"},
                      EscapeCase{"NonAscii", "/tmp/m\xC3\xBAsica.wav", "/tmp/m\xC3\xBAsica.wav"},
                      EscapeCase{"Quote", R"(say "hi".wav)", R"(say \"hi\".wav)"},
                      EscapeCase{"BackslashBeforeQuote", R"(a\"b)", R"(a\\\"b)"},
                      EscapeCase{"TrailingBackslashes", R"(dir\\)", R"(dir\\\\)"},
                      EscapeCase{"EmptyName", "", ""}),
    [](const ::testing::TestParamInfo<EscapeCase>& row) { return std::string(row.param.name); });

TEST(EscapeForQuotesRoundTrip, AnyNameComesBackExactlyInsideAFullParameterText) {
    // Names drawn from the characters that matter to the rules, so that every combination of
    // quotes, backslashes and blanks turns up.
    const std::string alphabet = "a \"\\\t\xE9-=";
    std::mt19937 random(20261211);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 12);
    for (int round = 0; round < 2000; ++round) {
        std::string input;
        std::string output;
        for (int i = length(random); i > 0; --i) {
            input += alphabet[pick(random)];
        }
        for (int i = length(random); i > 0; --i) {
            output += alphabet[pick(random)];
        }
        const std::string text = "-wave " + QuotedArgument(input) + " -=" + QuotedArgument(output);
        ASSERT_EQ(platform::SplitCommandLine(text), (Arguments{"-wave", input, "-=" + output}))
            << "input [" << input << "] output [" << output << "]";
    }
}

// A script that reports how it was started into "report" beside itself, written in one
// rename so that the test never reads half of it.
class LaunchHiddenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Leftover children of earlier tests would hide a zombie of this one.
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
        std::string script = R"SH(#!/bin/sh
p=$$
streams=$(for f in 0 1 2; do echo "fd$f=$(readlink /proc/$p/fd/$f)"; done)
{
  echo "cwd=$(pwd)"
  echo "leader=$(cut -d' ' -f6 /proc/$p/stat)"
  echo "ppid=$PPID"
  echo "pid=$p"
  echo "$streams"
  for a in "$@"; do echo "arg=$a"; done
} > 'REPORT.tmp'
mv 'REPORT.tmp' 'REPORT'
)SH";
        const std::string report = dir_ / "report";
        for (std::size_t at = 0; (at = script.find("REPORT", at)) != std::string::npos;) {
            script.replace(at, 6, report);
            at += report.size();
        }
        scratch::WriteFile(dir_ / "probe.sh", script);
        ::chmod((dir_ / "probe.sh").c_str(), 0755);
    }

    // The report as key=value lines; args collects every "arg=" line in order.
    std::multimap<std::string, std::string> WaitForReport() {
        EXPECT_TRUE(scratch::WaitUntil([&] { return scratch::Exists(dir_ / "report"); }));
        std::multimap<std::string, std::string> fields;
        std::string text = scratch::ReadFile(dir_ / "report");
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = text.find('\n', start);
            const std::string line = text.substr(start, end - start);
            const std::size_t equals = line.find('=');
            fields.emplace(line.substr(0, equals), line.substr(equals + 1));
            start = end == std::string::npos ? text.size() : end + 1;
        }
        return fields;
    }

    static Arguments ArgumentsOf(const std::multimap<std::string, std::string>& fields) {
        Arguments arguments;
        const auto [first, last] = fields.equal_range("arg");
        for (auto it = first; it != last; ++it) {
            arguments.push_back(it->second);
        }
        return arguments;
    }

    static std::string Value(const std::multimap<std::string, std::string>& fields,
                             const std::string& key) {
        const auto it = fields.find(key);
        return it == fields.end() ? "<missing>" : it->second;
    }

    static std::string DirectoryWithoutSlash(const std::string& dir) {
        return dir.substr(0, dir.size() - 1);
    }

    static bool HasChildren() { return !(::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD); }

    scratch::Directory dir_;
};

TEST_F(LaunchHiddenTest, BareNameRunsFromTheWorkingDirectoryHiddenAndDetached) {
    // A descriptor without close-on-exec, which the program must not inherit.
    const int leaked = ::open((dir_ / "probe.sh").c_str(), O_RDONLY);
    ASSERT_GE(leaked, 0);

    const int result =
        platform::LaunchHidden("probe.sh", R"(-wave "temp.asf" -="temp.wav")", dir_.Path());
    ::close(leaked);

    EXPECT_GT(result, platform::kLaunchErrorLimit);
    EXPECT_FALSE(HasChildren()) << "the program must not be a child of this process";
    const auto report = WaitForReport();
    EXPECT_EQ(ArgumentsOf(report), (Arguments{"-wave", "temp.asf", "-=temp.wav"}));
    EXPECT_EQ(Value(report, "cwd"), DirectoryWithoutSlash(dir_.Path()));
    EXPECT_EQ(Value(report, "leader"), Value(report, "pid")) << "runs in a session of its own";
    EXPECT_NE(Value(report, "ppid"), std::to_string(::getpid()));
    for (const char* stream : {"fd0", "fd1", "fd2"}) {
        EXPECT_EQ(Value(report, stream), "/dev/null") << stream;
    }
}

TEST_F(LaunchHiddenTest, FullPathWithoutWorkingDirectoryInheritsTheCurrentOne) {
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    const std::string parameters = R"(-wave "/a b/in.asf" -="/c \"d\"\\e.wav")";

    EXPECT_GT(platform::LaunchHidden(dir_ / "probe.sh", parameters, std::nullopt),
              platform::kLaunchErrorLimit);

    const auto report = WaitForReport();
    EXPECT_EQ(ArgumentsOf(report), (Arguments{"-wave", "/a b/in.asf", R"(-=/c "d"\e.wav)"}));
    EXPECT_EQ(Value(report, "cwd"), cwd);
}

struct RefusalCase {
    const char* name;
    // Prepares the scratch directory; gives the program and working directory to launch.
    std::function<std::pair<std::string, std::optional<std::string>>(const scratch::Directory&)>
        prepare;
    int expected;

    friend void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }
};

class LaunchRefusedTest : public LaunchHiddenTest,
                          public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(LaunchRefusedTest, GivesTheErrorAtOnceAndLeavesNoProcess) {
    const auto [program, workingDirectory] = GetParam().prepare(dir_);
    EXPECT_EQ(platform::LaunchHidden(program, "-wave \"x\"", workingDirectory),
              GetParam().expected);
    EXPECT_FALSE(HasChildren());
}

INSTANTIATE_TEST_SUITE_P(
    Programs, LaunchRefusedTest,
    ::testing::Values(
        RefusalCase{"MissingFile",
                    [](const scratch::Directory& dir) {
                        return std::pair{dir / "nothing.exe", std::optional<std::string>()};
                    },
                    platform::kLaunchFileNotFound},
        RefusalCase{"BareNameFoundOnlyOnThePath",
                    [](const scratch::Directory& dir) {
                        return std::pair{std::string("sh"), std::optional(dir.Path())};
                    },
                    platform::kLaunchFileNotFound},
        RefusalCase{"NotExecutable",
                    [](const scratch::Directory& dir) {
                        ::chmod((dir / "probe.sh").c_str(), 0644);
                        return std::pair{dir / "probe.sh", std::optional<std::string>()};
                    },
                    platform::kLaunchAccessDenied},
        RefusalCase{"NotAProgram",
                    [](const scratch::Directory& dir) {
                        scratch::WriteFile(dir / "sx.exe", std::string("MZ\x90\0\3\0\0\0", 8));
                        ::chmod((dir / "sx.exe").c_str(), 0755);
                        return std::pair{dir / "sx.exe", std::optional<std::string>()};
                    },
                    platform::kLaunchBadFormat},
        RefusalCase{"Directory",
                    [](const scratch::Directory& dir) {
                        std::filesystem::create_directory(dir / "sx.exe");
                        return std::pair{dir / "sx.exe", std::optional<std::string>()};
                    },
                    platform::kLaunchAccessDenied},
        RefusalCase{"MissingWorkingDirectory",
                    [](const scratch::Directory& dir) {
                        return std::pair{std::string("probe.sh"), std::optional(dir / "gone/")};
                    },
                    platform::kLaunchPathNotFound}),
    [](const ::testing::TestParamInfo<RefusalCase>& row) { return std::string(row.param.name); });

}  // namespace
