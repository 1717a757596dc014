// The one application record, alive for the whole process.
#include "app/app_record.h"

AppRecord app;
