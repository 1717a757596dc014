// Why a mesh or point file gave less than it should: the text-file loaders'
// problems and their messages in one list. A file that cannot be read at all
// carries the system's own error number, whose text is the reason.
#pragma once

#include <cstddef>

// The largest mesh or point file read; the show's own are a few megabytes.
inline constexpr std::size_t max_text_file_bytes = std::size_t(256) << 20;

#define VELMORIA_LOAD_PROBLEMS(X)                                                         \
    X(none, "loaded")                                                                     \
    X(system_error, "cannot be read")                                                     \
    X(too_large, "larger than 256 MiB, far beyond any data file of the show")              \
    X(no_faces, "holds no faces to draw")                                                 \
    X(bad_faces, "holds faces that name missing elements or are malformed; they are left out") \
    X(no_point_count, "does not begin with a point count from 1 to 1000000")              \
    X(points_cut_short, "holds fewer points than its count announces; the rest read as 0")

enum class load_problem {
#define VELMORIA_LOAD_ENUM(name, text) name,
    VELMORIA_LOAD_PROBLEMS(VELMORIA_LOAD_ENUM)
#undef VELMORIA_LOAD_ENUM
};

struct load_outcome {
    load_problem problem = load_problem::none;
    int system_error = 0;  // errno, for system_error

    bool ok() const { return problem == load_problem::none; }
    // The system's text for a system error, else the list's message.
    const char* reason() const;
};

// A system error as an outcome (an unknown one as an input/output error).
load_outcome system_failure(int error_number);
