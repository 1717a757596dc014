// The data-file problem line: program name, the file as named but tidied, the
// reason, the full path from the working folder, and the consequence when given;
// a failure said as that line or, when it is about no file, as what and why.
#include "platform/file_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

TEST(FileReport, NamesTheProgramTheFileTheReasonAndTheFullPath) {
    const std::string here = std::filesystem::current_path().string();
    EXPECT_EQ(file_problem_line("neomeshes//quorrel.obj", "No such file or directory", nullptr),
              "velmoria: neomeshes/quorrel.obj: No such file or directory (" + here + "/neomeshes/quorrel.obj)");
    set_program_name("velmoria-capture");
    EXPECT_EQ(file_problem_line("/tmp/../tmp/x.txt", "Is a directory", "the show goes on without it"),
              "velmoria-capture: /tmp/x.txt: Is a directory (/tmp/x.txt); the show goes on without it");
    set_program_name("velmoria");
}

// A failure about a data file is said as the file's line; any other names what
// failed and why, without a path.
TEST(FileReport, AFailureIsSaidAsAFileLineOnlyWhenItIsAboutAFile) {
    const std::string here = std::filesystem::current_path().string();
    testing::internal::CaptureStderr();
    report_outcome(outcome::file_failed("music//a.mp3", "the file is empty", "KRV "));
    report_outcome(outcome::failed("OpenGL", "the extension loader cannot start: Missing GL version"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "velmoria: music/a.mp3: the file is empty (" + here + "/music/a.mp3)\n"
              "velmoria: OpenGL: the extension loader cannot start: Missing GL version\n");
}
