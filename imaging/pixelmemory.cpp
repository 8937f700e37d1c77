#include "pixelmemory.h"

#include <cstdlib>
#include <utility>
#include <sys/mman.h>

namespace {

#if defined(__SANITIZE_ADDRESS__)
#define PG_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PG_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef PG_ADDRESS_SANITIZER
// The sanitizer's allocator guards every block: keep all pixels there.
constexpr bool kMapLargeBlocks = false;
#else
constexpr bool kMapLargeBlocks = true;
#endif

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kMappedFrom = std::size_t(4) << 20;

bool mapped(std::size_t size)
{
    return kMapLargeBlocks && size >= kMappedFrom;
}

std::size_t mappedSize(std::size_t size)
{
    return (size + kHugePage - 1) / kHugePage * kHugePage;
}

} // namespace

std::uint8_t* AllocatePixelMemory(std::size_t Size)
{
    if (!mapped(Size))
        return static_cast<std::uint8_t*>(std::calloc(Size, 1));
    void* memory = ::mmap(nullptr, mappedSize(Size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    ::madvise(memory, mappedSize(Size), MADV_HUGEPAGE); // advice only: without it, 4 KiB pages
    return static_cast<std::uint8_t*>(memory);
}

void FreePixelMemory(std::uint8_t* Memory, std::size_t Size)
{
    if (!Memory)
        return;
    if (mapped(Size))
        ::munmap(Memory, mappedSize(Size));
    else
        std::free(Memory);
}

PixelMemory MakePixelMemory(std::size_t Size)
{
    BudgetCharge charge = ChargeMemoryBudget(std::int64_t(Size));
    return PixelMemory(AllocatePixelMemory(Size), PixelMemoryDeleter{Size, std::move(charge)});
}
