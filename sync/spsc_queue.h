// A fixed-capacity single-producer/single-consumer ring: the audio thread pushes, the
// main thread pops. No locks, no allocation after construction.
#pragma once
#include <atomic>
#include <cstddef>
#include <memory>

namespace zuzor {

template <typename T>
class SpscQueue {
  public:
    explicit SpscQueue(size_t capacity) : size_(capacity + 1), items_(new T[capacity + 1]) {}

    // Producer. False when full (the item is dropped).
    bool push(const T& item) {
        size_t tail = tail_.load(std::memory_order_relaxed);
        size_t next = tail + 1 == size_ ? 0 : tail + 1;
        if (next == head_.load(std::memory_order_acquire)) return false;
        items_[tail] = item;
        tail_.store(next, std::memory_order_release);
        return true;
    }

    // Consumer: the oldest item, or null when empty. Valid until pop().
    const T* front() const {
        size_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) return nullptr;
        return &items_[head];
    }

    void pop() {
        size_t head = head_.load(std::memory_order_relaxed);
        head_.store(head + 1 == size_ ? 0 : head + 1, std::memory_order_release);
    }

  private:
    const size_t size_;
    std::unique_ptr<T[]> items_;
    alignas(64) std::atomic<size_t> head_{0};
    alignas(64) std::atomic<size_t> tail_{0};
};

}  // namespace zuzor
