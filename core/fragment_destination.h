// Where a finished fragment goes. Every composite generator ends by handing
// its fragment to str2clip, and the dispatcher hands a picker's entry to it;
// str2clip passes it on to the destination that whoever runs the generator
// installed on the calling thread: the verse command puts it on the
// clipboard, the generator library gives it to its caller.
#pragma once

namespace versos {

class FragmentDestination {
public:
    // Takes one finished fragment; what it returns is str2clip's result.
    virtual int take(const char* text) = 0;

protected:
    ~FragmentDestination() = default;
};

// Makes `destination` the calling thread's while alive, then puts back the
// one before it, so that a run may happen inside another (a generator
// library call within a run of the verse command's code).
class FragmentsGoTo {
public:
    explicit FragmentsGoTo(FragmentDestination& destination);
    ~FragmentsGoTo();
    FragmentsGoTo(const FragmentsGoTo&) = delete;
    FragmentsGoTo& operator=(const FragmentsGoTo&) = delete;

private:
    FragmentDestination* previous_;
};

// Hands `text` to the calling thread's destination and returns its result.
// With none installed the fragment has nowhere to go: nothing happens, and
// the result is 0, as for a clipboard that can't be opened.
int str2clip(const char* text);

}  // namespace versos
