#pragma once
// Work spread over the processor's cores: files of a whole list are read and examined on each.

#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace util {

/// Calls `work(i)` for every i from 0 to `count` - 1, on as many threads as the processor has
/// cores (at most `maxThreads`, the calling thread among them), each taking the next index as it
/// gets free; returns once every call is done. `work` must be safe to call on any thread.
template <typename Work>
void forEachIndex(qsizetype count, const Work &work, int maxThreads = 8)
{
    const int threads = int(std::clamp<unsigned>(std::thread::hardware_concurrency(), 1, unsigned(std::max(1, maxThreads))));
    std::atomic<qsizetype> next = 0;
    const auto run = [&] {
        for (qsizetype i = next++; i < count; i = next++)
            work(i);
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads && t < count; ++t)
        helpers.emplace_back(run);
    run();
    for (std::thread &helper : helpers)
        helper.join();
}

} // namespace util
