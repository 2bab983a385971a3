// ZynAudioRing: a fixed-size lock-free ring of samples between one writer and one reader thread.
//
// The capture thread writes, the frame's thread reads. When the reader falls
// behind, new samples that do not fit are dropped and counted (the reader
// reports it); nothing ever blocks or allocates after construction.
// Depends on: the C++ standard library only.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

class TZynAudioRing {
public:
    // capacity is rounded up to a power of two.
    explicit TZynAudioRing(size_t capacity)
    {
        size_t c = 1;
        while (c < capacity) c <<= 1;
        Buf.assign(c, 0.0f);
        Mask = c - 1;
    }

    size_t Capacity() const { return Buf.size(); }

    // Writer thread. Returns how many samples were stored.
    size_t Write(const float* s, size_t n)
    {
        const size_t head = Head.load(std::memory_order_relaxed);
        const size_t tail = Tail.load(std::memory_order_acquire);
        const size_t room = Buf.size() - (head - tail);
        const size_t k = n < room ? n : room;
        for (size_t i = 0; i < k; i++) Buf[(head + i) & Mask] = s[i];
        Head.store(head + k, std::memory_order_release);
        if (k < n) Dropped.fetch_add(n - k, std::memory_order_relaxed);
        return k;
    }

    // Reader thread. Returns how many samples were taken (at most n).
    size_t Read(float* out, size_t n)
    {
        const size_t tail = Tail.load(std::memory_order_relaxed);
        const size_t head = Head.load(std::memory_order_acquire);
        const size_t have = head - tail;
        const size_t k = n < have ? n : have;
        for (size_t i = 0; i < k; i++) out[i] = Buf[(tail + i) & Mask];
        Tail.store(tail + k, std::memory_order_release);
        return k;
    }

    // Samples dropped since the last call (reader thread).
    uint64_t TakeDropped() { return Dropped.exchange(0, std::memory_order_relaxed); }

private:
    std::vector<float> Buf;
    size_t Mask = 0;
    std::atomic<size_t> Head{0};   // written by the writer only
    std::atomic<size_t> Tail{0};   // written by the reader only
    std::atomic<uint64_t> Dropped{0};
};
