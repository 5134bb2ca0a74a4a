// SPDX-License-Identifier: GPL-3.0-or-later
// The window's own operator new and delete, linked into this test as into the
// program: every form of new and delete, more large blocks than it keeps
// track of, and several threads at once.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kLarge = std::size_t{5} << 20;  // above the 4 MiB threshold
constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

bool HugePageAligned(const void* block)
{
    return reinterpret_cast<std::uintptr_t>(block) % kHugePage == 0;
}

// Fills a block with a pattern of its own and checks it back: two blocks that
// overlapped, or a block unmapped too early, would not hold it.
void Fill(unsigned char* block, std::size_t size, unsigned char seed)
{
    for (std::size_t at = 0; at < size; at += 4096)
        block[at] = static_cast<unsigned char>(seed + at / 4096);
    block[size - 1] = seed;
}
bool Holds(const unsigned char* block, std::size_t size, unsigned char seed)
{
    for (std::size_t at = 0; at < size; at += 4096)
        if (block[at] != static_cast<unsigned char>(seed + at / 4096))
            return false;
    return block[size - 1] == seed;
}

TEST(HugePages, LargeBlocksAreAlignedAndEveryDeleteFormFreesThem)
{
    auto* single = static_cast<unsigned char*>(::operator new(kLarge));
    EXPECT_TRUE(HugePageAligned(single));
    Fill(single, kLarge, 1);
    EXPECT_TRUE(Holds(single, kLarge, 1));
    ::operator delete(single, kLarge);  // sized

    auto* array = new unsigned char[kLarge];
    EXPECT_TRUE(HugePageAligned(array));
    Fill(array, kLarge, 2);
    EXPECT_TRUE(Holds(array, kLarge, 2));
    delete[] array;  // unsized

    auto* small = static_cast<unsigned char*>(::operator new(100));
    Fill(small, 100, 3);
    ::operator delete(small, 100);  // sized, small: straight to free

    void* nothrow = ::operator new(kLarge, std::nothrow);
    ASSERT_NE(nothrow, nullptr);
    ::operator delete(nothrow, std::nothrow);
    EXPECT_EQ(::operator new(SIZE_MAX / 2, std::nothrow), nullptr);  // no mapping, no malloc

    for (const std::size_t alignment : {std::size_t{64}, std::size_t{4096}}) {
        void* aligned = ::operator new(kLarge, std::align_val_t(alignment));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(aligned) % alignment, 0U);
        ::operator delete(aligned, kLarge, std::align_val_t(alignment));
    }
}

TEST(HugePages, MoreLargeBlocksThanTheRegistryHoldsStillWork)
{
    constexpr int kBlocks = 40;  // the registry keeps 32; the rest come from malloc
    std::vector<unsigned char*> blocks;
    for (int i = 0; i < kBlocks; ++i) {
        blocks.push_back(new unsigned char[kLarge]);
        Fill(blocks.back(), kLarge, static_cast<unsigned char>(i));
    }
    for (int i = 0; i < kBlocks; ++i)
        EXPECT_TRUE(Holds(blocks[static_cast<std::size_t>(i)], kLarge, static_cast<unsigned char>(i))) << i;
    for (unsigned char* block : blocks)
        delete[] block;
    // Every slot is free again: a new large block is a mapping of its own.
    auto* again = new unsigned char[kLarge];
    EXPECT_TRUE(HugePageAligned(again));
    delete[] again;
}

TEST(HugePages, ThreadsAllocateAndFreeAtOnce)
{
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &failures] {
            for (int round = 0; round < 50; ++round) {
                const std::size_t size = round % 5 == 0 ? kLarge : 64 + static_cast<std::size_t>(round);
                const auto seed = static_cast<unsigned char>(t * 50 + round);
                auto block = std::make_unique<unsigned char[]>(size);
                Fill(block.get(), size, seed);
                std::vector<int> churn(1000, round);  // small blocks in between
                failures[static_cast<std::size_t>(t)] += Holds(block.get(), size, seed) ? 0 : 1;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

// Large blocks of several sizes freed while others are mapped: mmap hands a
// freed address straight to the next thread, so the bookkeeping of one block
// must never be taken for another's (a wrong length unmaps a neighbour).
TEST(HugePages, LargeBlocksFreedAndMappedAgainAtOnceStayWhole)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 1500;
    std::vector<std::thread> threads;
    std::vector<int> failures(kThreads, 0);
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t, &failures] {
            for (int round = 0; round < kRounds; ++round) {
                const std::size_t size = (std::size_t{4} + static_cast<std::size_t>((t + round) % 4) * 2) << 20;
                const auto seed = static_cast<unsigned char>(t * 64 + round);
                auto* block = static_cast<unsigned char*>(::operator new(size));
                block[0] = seed;
                block[size - 1] = seed;
                if (block[0] != seed || block[size - 1] != seed)
                    ++failures[static_cast<std::size_t>(t)];
                ::operator delete(block);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
}

}  // namespace
