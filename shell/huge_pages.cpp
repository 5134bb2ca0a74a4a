// SPDX-License-Identifier: GPL-3.0-or-later
// Large blocks on transparent huge pages. A fresh 4 KiB page costs the kernel
// a fault and a zeroing; over the 150 MB that the largest table's document
// takes, the faults alone cost more than generating the table. Blocks from
// 4 MiB up are mapped on their own, 2 MiB aligned and rounded up to 2 MiB, and
// marked for huge pages, which fault in once per 2 MiB. Everything smaller
// goes to malloc as before.
//
// This replaces the global operator new and delete of the program, so it is
// linked into the window's executables only (and into its test), and not into
// sanitizer builds, whose runtimes replace them too.
#include <sys/mman.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kLargeBytes = std::size_t{4} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// The live large blocks: a few (the document, its line index, their growth).
// A slot is claimed and freed by compare-and-swap, so no delete ever waits.
// While a thread fills or empties a slot, the slot holds kBusy: nobody else
// takes it, and no lookup matches it, since it is no 2 MiB aligned address.
struct Slot {
    std::atomic<void*> start{nullptr};
    std::atomic<std::size_t> length{0};
};
std::array<Slot, 32> registry;
void* const kBusy = reinterpret_cast<void*>(std::uintptr_t{1});

std::size_t RoundedUp(std::size_t size, std::size_t unit)
{
    return (size + unit - 1) / unit * unit;
}

void* MapLarge(std::size_t size)
{
    if (size > SIZE_MAX - 2 * kHugePage)
        return nullptr;
    const std::size_t length = RoundedUp(size, kHugePage);
    // Mapped with room to spare, then trimmed to a 2 MiB boundary at both ends.
    const std::size_t spare = length + kHugePage;
    void* mapped = ::mmap(nullptr, spare, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    const auto base = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = RoundedUp(base, kHugePage);
    if (aligned != base)
        ::munmap(mapped, aligned - base);
    if (const std::size_t tail = base + spare - (aligned + length); tail != 0)
        ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    void* start = reinterpret_cast<void*>(aligned);
    ::madvise(start, length, MADV_HUGEPAGE);  // a hint: without it, plain pages

    // The length goes in before the start is published, so that whoever finds
    // the start finds its length too.
    for (Slot& slot : registry) {
        void* empty = nullptr;
        if (slot.start.compare_exchange_strong(empty, kBusy, std::memory_order_acquire)) {
            slot.length.store(length, std::memory_order_relaxed);
            slot.start.store(start, std::memory_order_release);
            return start;
        }
    }
    ::munmap(start, length);  // no room to remember it: malloc serves it
    return nullptr;
}

// Only a 2 MiB aligned pointer can be a mapping of ours; malloc never returns one.
bool UnmapLarge(void* start)
{
    if ((reinterpret_cast<std::uintptr_t>(start) & (kHugePage - 1)) != 0)
        return false;
    // The slot is given up before the munmap: once the range is unmapped, mmap
    // may hand the same address to another thread, which must find no slot
    // that still names it.
    for (Slot& slot : registry) {
        void* expected = start;
        if (slot.start.compare_exchange_strong(expected, kBusy, std::memory_order_acquire)) {
            const std::size_t length = slot.length.load(std::memory_order_relaxed);
            slot.start.store(nullptr, std::memory_order_release);
            ::munmap(start, length);
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

// The size is the one the block was asked with: a small one came from malloc.
void Release(void* block, std::size_t size) noexcept
{
    if (size < kLargeBytes)
        std::free(block);
    else
        Release(block);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t size) noexcept { Release(block, size); }
void operator delete[](void* block, std::size_t size) noexcept { Release(block, size); }
