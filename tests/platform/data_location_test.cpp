// The data search: the order of the places (variable, working folder, installed
// data beside the program, the source tree only for the build tree's program), the
// message naming every place, and the check that a folder holds all six folders.
#include "platform/data_location.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

data_search build_tree_search() {
    data_search search;
    search.working_folder = "/home/ann/films";
    search.executable_folder = "/src/velmoria/build";
    search.installed_relative = "../share/velmoria";
    search.build_folder = "/src/velmoria/build";
    search.source_data = "/src/velmoria/data";
    return search;
}

std::vector<std::string> folders(const std::vector<data_place>& places) {
    std::vector<std::string> result;
    for (const data_place& place : places) result.push_back(place.folder);
    return result;
}

}  // namespace

TEST(DataPlaces, VariableThenWorkingFolderThenInstalledThenSourceTree) {
    data_search search = build_tree_search();
    search.variable = "/opt/show-data/";
    EXPECT_EQ(folders(data_places(search)),
              (std::vector<std::string>{"/opt/show-data", "/home/ann/films", "/src/velmoria/share/velmoria",
                                        "/src/velmoria/data"}));
}

TEST(DataPlaces, RelativeVariableIsTakenFromTheWorkingFolder) {
    data_search search = build_tree_search();
    search.variable = "../data";
    EXPECT_EQ(data_places(search).front().folder, "/home/ann/data");
}

TEST(DataPlaces, InstalledProgramLooksBesideItselfAndNeverInTheSourceTree) {
    data_search search = build_tree_search();
    search.executable_folder = "/usr/bin";
    EXPECT_EQ(folders(data_places(search)), (std::vector<std::string>{"/home/ann/films", "/usr/share/velmoria"}));
    search.executable_folder = "/src/velmoria/build/tests";  // another program of the build tree
    EXPECT_EQ(data_places(search).size(), 2u);
}

TEST(DataPlaces, UnknownExecutableFolderGivesOnlyTheWorkingFolder) {
    data_search search = build_tree_search();
    search.executable_folder.clear();
    EXPECT_EQ(folders(data_places(search)), std::vector<std::string>{"/home/ann/films"});
}

TEST(DataPlaces, FirstPlaceHoldingTheDataWins) {
    const std::vector<data_place> places = data_places(build_tree_search());
    std::vector<std::string> asked;
    const auto found = first_data_place(places, [&](const std::string& folder) {
        asked.push_back(folder);
        return folder != "/home/ann/films";
    });
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, "/src/velmoria/share/velmoria");
    EXPECT_EQ(asked.size(), 2u);  // stopped at the first hit
    EXPECT_FALSE(first_data_place(places, [](const std::string&) { return false; }).has_value());
}

TEST(DataNotFound, MessageNamesTheFoldersAndEveryPlaceWithItsReason) {
    data_search search = build_tree_search();
    search.variable = "/nowhere";
    EXPECT_EQ(data_not_found_message(data_places(search)),
              "cannot find the show's data (the folders Materials, PostProcessing, textures, "
              "neomeshes, misc, music).\n"
              "Looked in:\n"
              "  /nowhere  (VELMORIA_DATA)\n"
              "  /home/ann/films  (the working folder)\n"
              "  /src/velmoria/share/velmoria  (installed beside the program)\n"
              "  /src/velmoria/data  (the source tree of this build)\n"
              "Set VELMORIA_DATA to the folder that holds them.");
}

TEST(HoldsShowData, NeedsEverySixFolders) {
    const fs::path root = fs::path(testing::TempDir()) / "holds_show_data_six_folders";
    fs::remove_all(root);
    for (const char* name : data_folder_names) fs::create_directories(root / name);
    EXPECT_TRUE(holds_show_data(root.string()));
    for (const char* name : data_folder_names) {
        fs::remove(root / name);
        EXPECT_FALSE(holds_show_data(root.string())) << "without " << name;
        fs::create_directories(root / name);
    }
    fs::remove(root / "music");
    std::ofstream(root / "music") << "a file, not a folder";
    EXPECT_FALSE(holds_show_data(root.string()));
    fs::remove_all(root);
}

TEST(HoldsShowData, TheSourceTreeDataQualifies) { EXPECT_TRUE(holds_show_data(VELMORIA_SOURCE_DIR "/data")); }
