// Messages of the JPEG decoder's failure codes, generated from the one list in
// jpeg_errors.h.
#include "render/jpeg_errors.h"

const char* jpeg_error_message(int code) {
    switch (code) {
    case jpeg_ok:
        return "no error";
#define VELMORIA_JPEG_MESSAGE(name, value, text) \
    case name:                                   \
        return text;
        VELMORIA_JPEG_ERRORS(VELMORIA_JPEG_MESSAGE)
#undef VELMORIA_JPEG_MESSAGE
    }
    return "unknown error";
}
