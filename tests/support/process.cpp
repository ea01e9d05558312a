// The parts of running a program that are the same on every system
// (process_posix.cpp and process_windows.cpp run it).
#include "tests/support/process.h"

#include <cstdlib>

namespace versos::testing {

ProcessResult run_program(const std::string& path, const std::vector<std::string>& args,
                          const std::vector<std::string>& env) {
    std::vector<std::string> argv{path};
    argv.insert(argv.end(), args.begin(), args.end());
    return run_program(argv, ProcessOptions{env, "", 10});
}

std::vector<std::string> environment_with(const std::vector<std::string>& set, const std::vector<std::string>& unset) {
    auto named = [](const std::string& entry, const std::string& name) { return entry.rfind(name + "=", 0) == 0; };
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        bool dropped = false;
        for (const std::string& name : unset) dropped |= named(entry, name);
        for (const std::string& wanted : set) dropped |= named(entry, wanted.substr(0, wanted.find('=')));
        if (!dropped) env.push_back(entry);
    }
    env.insert(env.end(), set.begin(), set.end());
    return env;
}

::testing::AssertionResult is_usage_error(const ProcessResult& r, const std::string& program,
                                          const std::string& problem) {
    const std::string head = program + ": ";
    const std::string tail = "\nTry '" + program + " --help'.\n";
    const std::string& e = r.err;
    const bool shaped = e.size() > head.size() + tail.size() && e.compare(0, head.size(), head) == 0 &&
                        e.compare(e.size() - tail.size(), tail.size(), tail) == 0 &&
                        e.find('\n') == e.size() - tail.size();
    if (r.status == 2 && r.out.empty() && shaped && e.find(problem) < e.size() - tail.size())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "status " << r.status << ", stdout '" << r.out << "', stderr '" << e
                                         << "' (wanted '" << head << "..." << problem << "..." << tail << "')";
}

}  // namespace versos::testing
