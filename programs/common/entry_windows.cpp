// Built with -municode: the C runtime hands over the command line as UTF-16,
// so an argument holds the same letters whatever the system's code page.
#include <string>
#include <string_view>
#include <vector>

#include "lib/charsets/utf16.h"
#include "programs/common/entry.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t));

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments(static_cast<std::size_t>(argc));
    std::vector<char*> pointers;
    for (int i = 0; i < argc; ++i) {
        versos::charsets::append_utf16_as_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(argv[i])),
                                               arguments[static_cast<std::size_t>(i)]);
        pointers.push_back(arguments[static_cast<std::size_t>(i)].data());
    }
    pointers.push_back(nullptr);
    return versos::program::run(argc, pointers.data());
}
