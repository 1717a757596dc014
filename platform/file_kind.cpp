// The kinds of non-regular files named in messages.
#include "platform/file_kind.h"

namespace fs = std::filesystem;

std::string non_regular_kind(const fs::path& path) {
    std::error_code ignored;
    switch (fs::status(path, ignored).type()) {
    case fs::file_type::regular:
    case fs::file_type::not_found:
    case fs::file_type::none: return "";
    case fs::file_type::directory: return "is a folder";
    case fs::file_type::character: return "is a character device";
    case fs::file_type::block: return "is a block device";
    case fs::file_type::fifo: return "is a named pipe (FIFO)";
    case fs::file_type::socket: return "is a socket";
    default: return "is not a regular file";
    }
}
