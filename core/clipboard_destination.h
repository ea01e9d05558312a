// The verse command's destination for its fragments: the clipboard.
#pragma once

#include "core/clipboard/clipboard.h"
#include "core/fragment_destination.h"

namespace versos {

class ClipboardDestination final : public FragmentDestination {
public:
    int take(const char* text) override { return put_on_clipboard(text); }
};

}  // namespace versos
