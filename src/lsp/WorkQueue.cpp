#include "lsp/WorkQueue.h"

#include <algorithm>

namespace tessel::lsp {

WorkQueue::WorkQueue() : m_thread([this](std::stop_token stop) { Run(stop); }) {}

WorkQueue::~WorkQueue() {
    Stop();
}

void WorkQueue::Add(Entry entry) {
    {
        const std::lock_guard lock(m_lock);
        if (m_stopped)
            return; // destroyed below, outside the lock
        entry.order = m_next++;
        if (!entry.key.empty())
            std::erase_if(m_entries, [&](const Entry& e) { return e.key == entry.key; });
        m_entries.push_back(std::move(entry));
    }
    m_changed.notify_all();
}

void WorkQueue::Post(Task task) {
    Add({Clock::now(), 0, {}, std::move(task)});
}

void WorkQueue::Debounce(const std::string& key, std::chrono::milliseconds delay, Task task) {
    Add({Clock::now() + delay, 0, key, std::move(task)});
}

void WorkQueue::Cancel(const std::string& key) {
    std::vector<Entry> dropped;
    const std::lock_guard lock(m_lock);
    const auto from = std::stable_partition(m_entries.begin(), m_entries.end(),
                                            [&](const Entry& e) { return e.key != key; });
    dropped.assign(std::make_move_iterator(from), std::make_move_iterator(m_entries.end()));
    m_entries.erase(from, m_entries.end());
}

void WorkQueue::CancelAll() {
    std::vector<Entry> dropped;
    {
        const std::lock_guard lock(m_lock);
        dropped.swap(m_entries);
        m_current.request_stop();
    }
    m_changed.notify_all();
}

void WorkQueue::Stop() {
    std::vector<Entry> dropped;
    {
        const std::lock_guard lock(m_lock);
        m_stopped = true;
        dropped.swap(m_entries);
        m_current.request_stop();
    }
    // The worker hears of it through the flag under the lock, which no
    // wake-up can miss; the stop token's own wake-up alone is not relied on.
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_thread.join();
    }
}

bool WorkQueue::WaitIdle(std::chrono::milliseconds horizon, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::unique_lock lock(m_lock);
    return m_changed.wait_until(lock, deadline, [&] {
        const auto soon = Clock::now() + horizon;
        return !m_running && std::none_of(m_entries.begin(), m_entries.end(),
                                          [&](const Entry& e) { return e.due <= soon; });
    });
}

void WorkQueue::Run(std::stop_token stop) {
    std::unique_lock lock(m_lock);
    for (;;) {
        if (m_stopped || stop.stop_requested())
            return;
        const auto first = std::min_element(
            m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
                return a.due != b.due ? a.due < b.due : a.order < b.order;
            });
        if (first == m_entries.end()) {
            m_changed.wait(lock, stop, [&] { return m_stopped || !m_entries.empty(); });
            continue;
        }
        if (first->due > Clock::now()) {
            // Until it is due, or something comes or goes.
            const std::size_t count = m_entries.size();
            const auto due = first->due;
            m_changed.wait_until(lock, stop, due,
                                 [&] { return m_stopped || m_entries.size() != count; });
            continue;
        }
        Task task = std::move(first->task);
        m_entries.erase(first);
        m_current = std::stop_source();
        const std::stop_token token = m_current.get_token();
        // The thread's own stop reaches the task too.
        const std::stop_callback forward(stop, [this] { m_current.request_stop(); });
        m_running = true;
        lock.unlock();
        task(token);
        task = nullptr; // what it holds goes before the queue says it is idle
        lock.lock();
        m_running = false;
        m_changed.notify_all();
    }
}

} // namespace tessel::lsp
