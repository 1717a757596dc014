// The asset list collector: a report of the registered asset files with their slots,
// picture sizes and memory estimate, then the names sorted byte-wise, and one copy
// of each distinct file into the packaging folder "C:/lumivane/".
#include "timeline/diagnostics.h"

#include "timeline/driver_record.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>

namespace {

constexpr const char* packaging_folder = "C:/lumivane/";

int64_t picture_bytes(const asset_record& record) {
    return int64_t(record.width) * int64_t(record.height) * 3;
}

// Copies the file unless the target exists; every failure is ignored.
void copy_for_packaging(const std::string& name) {
    std::error_code ignored;
    std::filesystem::copy_file(name, packaging_folder + name, std::filesystem::copy_options::none,
                               ignored);
}

bool named_earlier(const std::vector<asset_record>& records, size_t index) {
    for (size_t k = 0; k < index; ++k)
        if (records[k].name == records[index].name) return true;
    return false;
}

int64_t write_listing(std::ostream& out, const std::vector<asset_record>& records) {
    int64_t bytes = 0;
    out << std::endl << "-- JPG LIST" << std::endl;
    for (const asset_record& r : records) {
        if (r.kind != asset_jpeg_texture) continue;
        out << r.name << " (" << r.width << "," << r.height << ") @ " << r.slot << " position. "
            << std::endl;
        bytes += picture_bytes(r);
    }
    out << std::endl << "-- 3DS LIST" << std::endl;
    for (const asset_record& r : records) {
        if (r.kind != asset_3ds_mesh) continue;
        out << r.name << " " << r.slot << " position. " << std::endl;
        bytes += picture_bytes(r);
    }
    return bytes;
}

// Lists and copies the distinct files of one kind; returns how many there were.
int write_distinct(std::ostream& out, const std::vector<asset_record>& records, int32_t kind) {
    int distinct = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].kind != kind || named_earlier(records, i)) continue;
        out << "Name  : " << records[i].name << std::endl;
        ++distinct;
        copy_for_packaging(records[i].name);
    }
    return distinct;
}

}  // namespace

void collect_assets(driver_record& state, double load_seconds) {
    std::ofstream& out = state.asset_list_stream;
    std::vector<asset_record>& records = state.asset_records;

    int64_t bytes = write_listing(out, records);
    out << std::endl
        << "Total : " << records.size() << " files,  " << bytes << " bytes" << std::endl;
    out << "Loadtime :" << load_seconds << std::endl;

    // std::string orders by unsigned bytes, which is the byte-wise order wanted.
    std::stable_sort(records.begin(), records.end(),
                     [](const asset_record& a, const asset_record& b) { return a.name < b.name; });
    out << std::endl << "-- JPG Sorted" << std::endl;
    for (const asset_record& r : records)
        if (r.kind == asset_jpeg_texture) out << "Name  : " << r.name << std::endl;

    out << std::endl << "-- JPG LIST" << std::endl;
    int distinct = write_distinct(out, records, asset_jpeg_texture);
    out << std::endl << "-- 3DS LIST" << std::endl;
    distinct += write_distinct(out, records, asset_3ds_mesh);
    out << "Total sorted : " << distinct;
    out.close();
}
