#include "core/fragment_destination.h"

namespace versos {
namespace {

// Each thread runs generators for its own caller.
thread_local FragmentDestination* installed = nullptr;

}  // namespace

FragmentsGoTo::FragmentsGoTo(FragmentDestination& destination) : previous_(installed) { installed = &destination; }

FragmentsGoTo::~FragmentsGoTo() { installed = previous_; }

int str2clip(const char* text) { return installed != nullptr ? installed->take(text) : 0; }

}  // namespace versos
