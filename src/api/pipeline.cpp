// The units computed on threads and handed on in order.
#include "api/pipeline.hpp"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace varno96 {

void compute_units(const std::vector<sample_unit> &units, const choices &how, unsigned threads,
                   const std::function<void(std::size_t, const sample_result &)> &row,
                   const std::function<void(std::size_t, std::size_t)> &progress) {
#ifdef __EMSCRIPTEN__
    threads = 1; // one thread per Web Worker
#endif
    const auto one = [&](const sample_unit &u) {
        if (!u.problem.empty()) return sample_result{};
        if (!u.t_c) return compute_sample(u.wt, how);
        choices own = how;
        own.t_c = *u.t_c;
        return compute_sample(u.wt, own);
    };
    if (threads <= 1 || units.size() < 2) {
        for (std::size_t i = 0; i < units.size(); i++) {
            if (progress) progress(i, units.size());
            row(i, one(units[i]));
        }
        if (progress) progress(units.size(), units.size());
        return;
    }
    // `threads` workers compute the units in order of taking; this thread hands each result to
    // `row` as soon as the results before it are handed on, so that writing the rows overlaps
    // the computing. A window bounds the results waiting (Monte-Carlo pairs included).
    const std::size_t n = units.size(), window = std::min<std::size_t>(n, 64 * threads);
    std::vector<sample_result> slots(window);
    std::vector<char> ready(window, 0);
    std::mutex m;
    std::condition_variable done, room;
    std::size_t next = 0, handed = 0; // units taken by a worker, and handed to `row`
    bool stop = false;
    std::exception_ptr failure;
    const auto fail = [&](std::exception_ptr e) { // with m held
        if (!failure) failure = e;
        stop = true;
        done.notify_all();
        room.notify_all();
    };
    const auto work = [&] {
        std::unique_lock lock(m);
        for (;;) {
            room.wait(lock, [&] { return stop || next >= n || next < handed + window; });
            if (stop || next >= n) return;
            const std::size_t i = next++;
            lock.unlock();
            sample_result r;
            try {
                r = one(units[i]);
            } catch (...) {
                lock.lock();
                fail(std::current_exception());
                return;
            }
            lock.lock();
            slots[i % window] = std::move(r);
            ready[i % window] = 1;
            if (i == handed) done.notify_one();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads && t < n; t++) pool.emplace_back(work);
    try {
        for (std::size_t i = 0; i < n; i++) {
            std::unique_lock lock(m);
            done.wait(lock, [&] { return stop || ready[i % window]; });
            if (stop) break;
            const sample_result r = std::move(slots[i % window]);
            ready[i % window] = 0;
            lock.unlock();
            if (progress) progress(i, n);
            row(i, r);
            lock.lock();
            handed = i + 1;
            room.notify_all();
        }
    } catch (...) {
        const std::lock_guard lock(m);
        fail(std::current_exception());
    }
    for (std::thread &t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
    if (progress) progress(n, n);
}

} // namespace varno96
