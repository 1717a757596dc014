// The data-file problem line: program name, the file as named but tidied, the
// reason, the full path from the working folder, and the consequence when given.
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
