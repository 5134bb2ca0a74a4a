// SPDX-License-Identifier: GPL-3.0-or-later
// Large blocks on transparent huge pages. A fresh 4 KiB page costs the kernel
// a fault and a zeroing; over the 150 MB that the largest table's document
// takes, the faults alone cost more than generating the table. Blocks from
// 4 MiB up are mapped on their own and marked for huge pages, which fault in
// once per 2 MiB. Everything smaller goes to malloc as before.
//
// This replaces the global operator new and delete of the program, so it is
// linked into the window's executables only, and not into sanitizer builds,
// whose runtimes replace them too.
#include <sys/mman.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>

namespace {

constexpr std::size_t kLargeBytes = std::size_t{4} << 20;

struct Mapping {
    void* start = nullptr;
    std::size_t length = 0;
};

// The live large blocks: a few (the document, its line index, their growth).
std::mutex registryLock;
std::array<Mapping, 32> registry;
std::atomic<int> liveMappings{0};

void* MapLarge(std::size_t size)
{
    void* start = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED)
        return nullptr;
    ::madvise(start, size, MADV_HUGEPAGE);  // a hint: without it, plain pages
    const std::lock_guard lock(registryLock);
    for (Mapping& slot : registry) {
        if (slot.start == nullptr) {
            slot = {start, size};
            liveMappings.fetch_add(1, std::memory_order_relaxed);
            return start;
        }
    }
    ::munmap(start, size);  // no room to remember it: malloc serves it
    return nullptr;
}

bool UnmapLarge(void* start)
{
    if (liveMappings.load(std::memory_order_relaxed) == 0)
        return false;
    const std::lock_guard lock(registryLock);
    for (Mapping& slot : registry) {
        if (slot.start == start) {
            ::munmap(slot.start, slot.length);
            slot = {};
            liveMappings.fetch_sub(1, std::memory_order_relaxed);
            return true;
        }
    }
    return false;
}

void* Allocate(std::size_t size)
{
    if (size >= kLargeBytes)
        if (void* block = MapLarge(size))
            return block;
    for (;;) {
        if (void* block = std::malloc(size == 0 ? 1 : size))
            return block;
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr)
            throw std::bad_alloc();
        handler();
    }
}

void Release(void* block) noexcept
{
    if (block != nullptr && !UnmapLarge(block))
        std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
