// The one application record, alive for the whole process; the entry hands it to
// the layers below (wire_program) before anything runs.
#include "app/app_record.h"

#include "app/program_wiring.h"
#include "timeline/diagnostics.h"

namespace {

// The rendering record's asset hook: each image decoded into a slot joins the
// asset list.
void record_texture_asset(const char* file_name, int slot, int width, int height) {
    app.asset_records.push_back(asset_record{file_name, slot, width, height, asset_jpeg_texture});
}

}  // namespace

AppRecord::AppRecord() {
    render_context.asset_callback = record_texture_asset;
    render_context.load_notice_callback = note_partial_texture;
}

AppRecord app;
