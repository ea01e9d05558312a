// Windows path strings, fresh file names and simple file tests.
#include <versos/util/paths.h>

#include "file_open.h"


#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace versos {

int revinstrchar_(char c, const char* text) {
    int position = 0;
    for (int i = 0; text[i]; ++i)
        if (text[i] == c) position = i + 1;
    return position;
}

int numinstrchar_(char c, const char* text) {
    int count = 0;
    for (; *text; ++text)
        if (*text == c) ++count;
    return count;
}

namespace {

void copy_part(char* target, const char* source, std::size_t count) {
    std::memmove(target, source, count);
    target[count] = '\0';
}

// Length of the directory part, final backslash included.
std::size_t directory_length(const char* path) { return static_cast<std::size_t>(revinstrchar_('\\', path)); }

// Length of the path up to the end of the name, i.e. without the extension
// and its full stop when the part after the directory has one.
std::size_t base_length(const char* path) {
    const std::size_t dir = directory_length(path);
    const auto dot = static_cast<std::size_t>(revinstrchar_('.', path + dir));
    return dot > 0 ? dir + dot - 1 : std::strlen(path);
}

}  // namespace

void sinruta_(char* target, const char* path) {
    const char* name = path + directory_length(path);
    copy_part(target, name, std::strlen(name));
}

void soloruta_(char* target, const char* path) { copy_part(target, path, directory_length(path)); }

void extension_(char* target, const char* path) {
    const auto dot = static_cast<std::size_t>(revinstrchar_('.', path));
    if (dot == 0) {
        target[0] = '\0';
        return;
    }
    copy_part(target, path + dot, std::strlen(path + dot));
}

void solonombre_(char* target, const char* path) {
    const std::size_t dir = directory_length(path);
    copy_part(target, path + dir, base_length(path) - dir);
}

namespace {

// A name handed out as fresh must not lead to overwriting something that
// merely could not be read.
using detail::name_taken;

void append_extension(char* end, const char* ext) {
    if (ext[0] != '.') *end++ = '.';
    std::strcpy(end, ext);
}

}  // namespace

int hazFichNuevo_(const char* path, char* target, const char* ext) {
    // Directory and name together are the start of the path.
    const std::size_t base = base_length(path);
    std::memmove(target, path, base);
    char* const end = target + base;
    append_extension(end, ext);
    if (!name_taken(target)) return 0;
    for (int k = 1;; ++k) {
        const int written = std::sprintf(end, "_%02d", k);
        append_extension(end + written, ext);
        if (!name_taken(target)) return 0;
        if (k == INT_MAX) break;
    }
    // Every numbered name is taken: say so rather than hand out a used one.
    target[0] = '\0';
    return -1;
}

int existfile_(const char* path) {
    std::FILE* file = detail::open_for_reading(path);
    if (file == nullptr) return 0;
    std::fclose(file);
    return 1;
}

std::int64_t filelen_(const char* path) {
    std::FILE* file = detail::open_for_reading(path);
    if (file == nullptr) return 0;
    std::int64_t length = 0;
    if (fseeko(file, 0, SEEK_END) == 0) {
        const off_t end = ftello(file);
        if (end > 0) length = end;
    }
    std::fclose(file);
    return length;
}

int isexe_(const char* path) {
    std::FILE* file = detail::open_for_reading(path);
    if (file == nullptr) return -1;
    unsigned char start[2];
    const std::size_t got = std::fread(start, 1, 2, file);
    std::fclose(file);
    return got == 2 && start[0] == 'M' && start[1] == 'Z' ? 1 : 0;
}

void foldertemp_(char* target) {
    const char* temp = std::getenv("TEMP");
    std::strcpy(target, temp != nullptr ? temp : "");
}

void fichtemp_(char* target, const char* name) {
    // The name is measured first: it may lie in the target's own buffer.
    const std::size_t name_len = std::strlen(name);
    const char* temp = std::getenv("TEMP");
    const std::size_t temp_len = temp != nullptr ? std::strlen(temp) : 0;
    std::memmove(target + temp_len + 1, name, name_len + 1);
    if (temp_len > 0) std::memcpy(target, temp, temp_len);
    target[temp_len] = '\\';
}

}  // namespace versos
