#include "file_open.h"

#include <sys/stat.h>

namespace versos::detail {

std::FILE* open_for_reading(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

bool name_taken(const char* name) {
    struct stat info;
    return lstat(name, &info) == 0;
}

}  // namespace versos::detail
