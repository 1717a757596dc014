// The driver's hold on the record it works on.
#include "timeline/driver_record.h"

namespace {
driver_record* handed = nullptr;
}  // namespace

void hand_driver_record(driver_record& record) { handed = &record; }

driver_record& driver_state() { return *handed; }
