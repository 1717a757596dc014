// The one application record, alive for the whole process, handed to the layers
// below as soon as it exists.
#include "app/app_record.h"

#include "app/program_wiring.h"
#include "timeline/diagnostics.h"

AppRecord::AppRecord() {
    render_context.asset_callback = record_texture_asset;
    render_context.load_failure_callback = end_on_texture_failure;
    render_context.load_notice_callback = note_partial_texture;
}

AppRecord app;

namespace {

struct program_wiring {
    program_wiring() { wire_program(app); }
};
[[maybe_unused]] const program_wiring wiring;

}  // namespace
