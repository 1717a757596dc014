// The messages of the text-file loaders' problems, from the one list.
#include "geometry/load_outcome.h"

#include <cerrno>
#include <cstring>

const char* load_outcome::reason() const {
    if (problem == load_problem::system_error) return std::strerror(system_error);
    switch (problem) {
#define VELMORIA_LOAD_TEXT(name, text) \
    case load_problem::name: return text;
        VELMORIA_LOAD_PROBLEMS(VELMORIA_LOAD_TEXT)
#undef VELMORIA_LOAD_TEXT
    }
    return "unknown problem";
}

load_outcome system_failure(int error_number) {
    return {load_problem::system_error, error_number != 0 ? error_number : EIO};
}
