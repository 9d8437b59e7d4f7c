// Replays fuzz inputs without libFuzzer: every file given, and every file under every folder
// given, goes once through the fuzz entry point. Built by the ordinary (g++) builds, so a crash
// file of a fuzzing run can be rerun in the debug or sanitizer build and seen in a debugger.
//
// Usage: gw_fuzz_replay [-v] FILE|FOLDER...

#include "fuzz/FuzzEntry.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

/// The regular files among `arguments`, folders replaced by the regular files below them, each
/// folder's files sorted so that a run is repeatable. False when an argument cannot be read.
bool collectInputs(const std::vector<std::string> &arguments, std::vector<fs::path> &inputs)
{
    for (const std::string &argument : arguments) {
        std::error_code error;
        if (fs::is_directory(argument, error)) {
            std::vector<fs::path> found;
            for (fs::recursive_directory_iterator it(argument, error), end; !error && it != end; it.increment(error)) {
                if (it->is_regular_file(error))
                    found.push_back(it->path());
            }
            if (error) {
                std::fprintf(stderr, "gw_fuzz_replay: cannot list %s: %s\n", argument.c_str(), error.message().c_str());
                return false;
            }
            std::sort(found.begin(), found.end());
            inputs.insert(inputs.end(), found.begin(), found.end());
        } else if (fs::is_regular_file(argument, error)) {
            inputs.emplace_back(argument);
        } else {
            std::fprintf(stderr, "gw_fuzz_replay: no such file or folder: %s\n", argument.c_str());
            return false;
        }
    }
    return true;
}

/// Reads the whole file at `path` into `bytes`. False when it cannot be read.
bool readFile(const fs::path &path, std::vector<char> &bytes)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    bytes.resize(std::size_t(in.tellg()));
    in.seekg(0);
    return bool(in.read(bytes.data(), std::streamsize(bytes.size())));
}

/// The number of file descriptors the process has open.
long openDescriptors()
{
    std::error_code error;
    const fs::directory_iterator it("/proc/self/fd", error);
    // The iterator itself holds one descriptor while it counts; the same in every count.
    return error ? -1 : long(std::distance(it, fs::directory_iterator()));
}

} // namespace

/// Runs every input given on the command line through LLVMFuzzerTestOneInput() and reports how
/// many it ran. Exits non-zero when an input cannot be read, when there is none, or when the
/// inputs leave file descriptors open; a fault in the reader ends the program as it would end
/// the fuzzer.
int main(int argc, char **argv)
{
    bool verbose = false;
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-v")
            verbose = true;
        else
            arguments.push_back(argument);
    }
    if (arguments.empty()) {
        std::fprintf(stderr, "usage: gw_fuzz_replay [-v] FILE|FOLDER...\n");
        return 2;
    }

    std::vector<fs::path> inputs;
    if (!collectInputs(arguments, inputs))
        return 1;
    if (inputs.empty()) {
        std::fprintf(stderr, "gw_fuzz_replay: no inputs\n");
        return 1;
    }

    long descriptorsAfterFirst = 0;
    std::size_t ran = 0;
    // The slowest input, reported for a look: an input that takes long shows a cost that grows
    // faster than the input.
    std::chrono::steady_clock::duration slowest{};
    fs::path slowestInput;
    for (const fs::path &input : inputs) {
        std::vector<char> bytes;
        if (!readFile(input, bytes)) {
            std::fprintf(stderr, "gw_fuzz_replay: cannot read %s\n", input.c_str());
            return 1;
        }
        if (verbose)
            std::fprintf(stderr, "%s (%zu bytes)\n", input.c_str(), bytes.size());
        const auto began = std::chrono::steady_clock::now();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
        if (const auto took = std::chrono::steady_clock::now() - began; took > slowest) {
            slowest = took;
            slowestInput = input;
        }
        // The first input opens what the entry point keeps for the whole run; every descriptor
        // beyond that count afterwards has been leaked by the reader or the entry point.
        if (++ran == 1)
            descriptorsAfterFirst = openDescriptors();
    }
    const long leaked = openDescriptors() - descriptorsAfterFirst;
    std::printf("gw_fuzz_replay: ran %zu inputs; slowest %.1f ms (%s)\n", ran,
                std::chrono::duration<double, std::milli>(slowest).count(), slowestInput.c_str());
    if (leaked > 0) {
        std::fprintf(stderr, "gw_fuzz_replay: %ld file descriptors left open\n", leaked);
        return 1;
    }
    return 0;
}
