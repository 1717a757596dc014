// The asset list report: its sections and totals, the byte-wise sorted listing,
// and one copy of each distinct file into "C:/lumivane/" under the working folder.
#include "timeline/driver_record.h"
#include "scratch.h"
#include "timeline/diagnostics.h"

#include <gtest/gtest.h>

namespace {
// The record the diagnostics work on, as the driver hands it.
driver_record state;

// Works in a folder of its own with the report opened as the show opens it.
class AssetList : public ::testing::Test {
protected:
    void SetUp() override {
        state.asset_records.clear();
        std::filesystem::create_directories("c:");
        state.asset_list_stream.open("c://3dsjpglist4.txt", std::ios::out | std::ios::trunc);
        ASSERT_TRUE(state.asset_list_stream.is_open());
    }
    void TearDown() override { state.asset_records.clear(); }

    void add(const std::string& name, int slot, int width, int height, int32_t kind = asset_jpeg_texture) {
        state.asset_records.push_back({name, slot, width, height, kind});
    }
    std::string report() const { return read_text("c:/3dsjpglist4.txt"); }

    scratch_folder folder{true};
};

TEST_F(AssetList, NoRecordsGivesHeadersAndZeroTotals) {
    collect_assets(state, 2.5);
    EXPECT_EQ(report(),
              "\n-- JPG LIST\n"
              "\n-- 3DS LIST\n"
              "\nTotal : 0 files,  0 bytes\n"
              "Loadtime :2.5\n"
              "\n-- JPG Sorted\n"
              "\n-- JPG LIST\n"
              "\n-- 3DS LIST\n"
              "Total sorted : 0");
    EXPECT_FALSE(state.asset_list_stream.is_open());
}

TEST_F(AssetList, FileRegisteredTwiceIsCopiedAndCountedOnce) {
    std::filesystem::create_directories("textures");
    std::filesystem::create_directories("C:/lumivane/textures");
    write_text("textures/noise.jpg", "noise bytes");
    write_text("textures/blob.jpg", "blob bytes");
    add("textures/noise.jpg", 7, 256, 256);
    add("textures/blob.jpg", 3, 64, 32);
    add("textures/noise.jpg", 9, 256, 256);
    collect_assets(state, 0.125);
    EXPECT_EQ(report(),
              "\n-- JPG LIST\n"
              "textures/noise.jpg (256,256) @ 7 position. \n"
              "textures/blob.jpg (64,32) @ 3 position. \n"
              "textures/noise.jpg (256,256) @ 9 position. \n"
              "\n-- 3DS LIST\n"
              "\nTotal : 3 files,  399360 bytes\n"  // 2 * 196608 + 6144
              "Loadtime :0.125\n"
              "\n-- JPG Sorted\n"
              "Name  : textures/blob.jpg\n"
              "Name  : textures/noise.jpg\n"
              "Name  : textures/noise.jpg\n"
              "\n-- JPG LIST\n"
              "Name  : textures/blob.jpg\n"
              "Name  : textures/noise.jpg\n"
              "\n-- 3DS LIST\n"
              "Total sorted : 2");
    EXPECT_EQ(read_text("C:/lumivane/textures/noise.jpg"), "noise bytes");
    EXPECT_EQ(read_text("C:/lumivane/textures/blob.jpg"), "blob bytes");
}

TEST_F(AssetList, A256By256JpegAdds196608Bytes) {
    add("a.jpg", 1, 256, 256);
    collect_assets(state, 1);
    EXPECT_NE(report().find("Total : 1 files,  196608 bytes\n"), std::string::npos);
}

TEST_F(AssetList, SortingIsByteWise) {
    for (const char* name : {"b.jpg", "\xc3\xa9.jpg", "B.jpg", "a.jpg", "_.jpg"}) add(name, 0, 1, 1);
    collect_assets(state, 1);
    std::string text = report();
    size_t sorted = text.find("-- JPG Sorted\n");
    ASSERT_NE(sorted, std::string::npos);
    EXPECT_EQ(text.substr(sorted, text.find("\n\n", sorted) - sorted),
              "-- JPG Sorted\nName  : B.jpg\nName  : _.jpg\nName  : a.jpg\nName  : b.jpg\nName  : \xc3\xa9.jpg");
}

TEST_F(AssetList, MeshRecordsHaveTheirOwnSections) {
    add("neomeshes/wing.3ds", 4, 0, 0, asset_3ds_mesh);
    add("t.jpg", 2, 2, 2);
    collect_assets(state, 1);
    std::string text = report();
    EXPECT_NE(text.find("\n-- 3DS LIST\nneomeshes/wing.3ds 4 position. \n"), std::string::npos);
    EXPECT_NE(text.find("\n-- 3DS LIST\nName  : neomeshes/wing.3ds\nTotal sorted : 2"), std::string::npos);
    EXPECT_NE(text.find("Total : 2 files,  12 bytes"), std::string::npos);
}

TEST_F(AssetList, FailedCopiesAreIgnored) {
    std::filesystem::create_directories("C:/lumivane");
    write_text("kept.jpg", "new");
    write_text("C:/lumivane/kept.jpg", "old");  // an existing target is left alone
    add("kept.jpg", 0, 1, 1);
    add("missing.jpg", 1, 1, 1);                 // no source
    add("no/such/folder.jpg", 2, 1, 1);          // no target folder
    collect_assets(state, 1);
    EXPECT_EQ(read_text("C:/lumivane/kept.jpg"), "old");
    EXPECT_NE(report().find("Total sorted : 3"), std::string::npos);
}

}  // namespace
