#pragma once

// A worker thread with a queue, so that work runs off the server's main
// loop, which goes on reading and answering meanwhile. Tasks run one at a
// time, in the order they are due: a posted task at once, a debounced task
// once its delay has passed without another task under the same key
// replacing it (diagnostics after a pause in typing).
//
// Each task gets a stop token: it is requested when the queue stops or
// cancels its work, and a long task (a send) should end soon after. The
// owner stops the queue, or its destructor does, and joins the thread;
// tasks not yet run are dropped unrun (destroyed on the owner's thread).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace tessel::lsp {

class WorkQueue {
public:
    using Task = std::function<void(std::stop_token stop)>;
    using Clock = std::chrono::steady_clock;

    WorkQueue();
    ~WorkQueue();
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    // Runs `task` after the tasks due before it.
    void Post(Task task);
    // Runs `task` once `delay` has passed, unless another Debounce() with
    // the same `key` comes first: that one replaces it, with its own delay.
    void Debounce(const std::string& key, std::chrono::milliseconds delay, Task task);
    // Drops the task waiting under `key`, if any.
    void Cancel(const std::string& key);
    // Drops every task not yet run and asks the running one to stop; the
    // queue takes tasks again afterwards.
    void CancelAll();
    // Stops the thread: the running task is asked to stop and waited for,
    // the others are dropped. No task runs afterwards.
    void Stop();
    // Waits until no task is due, none is running and none will be due
    // within `horizon` (for tests: debounced work included when it is
    // longer than their delays). False when `timeout` passes first.
    bool WaitIdle(std::chrono::milliseconds horizon, std::chrono::milliseconds timeout);

private:
    struct Entry {
        Clock::time_point due;
        std::uint64_t order = 0; // first come, first run among equals
        std::string key;         // empty: not debounced
        Task task;
    };
    void Run(std::stop_token stop);
    void Add(Entry entry);

    std::mutex m_lock;
    std::condition_variable_any m_changed;
    std::vector<Entry> m_entries;
    std::uint64_t m_next = 0;
    bool m_running = false;
    bool m_stopped = false;
    // The running task's own stop source: CancelAll() requests it.
    std::stop_source m_current;
    std::jthread m_thread; // last: starts once everything above is there
};

} // namespace tessel::lsp
