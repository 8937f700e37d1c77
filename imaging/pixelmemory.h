#pragma once

#include "memorybudget.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Zeroed memory for an image's pixels. Large blocks are mapped on their own and backed by huge
// pages where the system allows: filling a 24-megapixel image through ordinary 4 KiB pages
// takes some 18,000 page faults, which costs more than decoding the JPEG it comes from.
// Null when the memory cannot be had.
std::uint8_t* AllocatePixelMemory(std::size_t Size);
// Size: the size it was allocated with.
void FreePixelMemory(std::uint8_t* Memory, std::size_t Size);

// Owns a block of AllocatePixelMemory, and the memory budget charge for it.
struct PixelMemoryDeleter {
    std::size_t size = 0; // as allocated
    BudgetCharge charge;
    void operator()(std::uint8_t* Memory) const { FreePixelMemory(Memory, size); }
};
using PixelMemory = std::unique_ptr<std::uint8_t[], PixelMemoryDeleter>;

// A block of Size bytes charged to the memory budget of this thread's job (which may wait for
// it); null when the memory cannot be had.
PixelMemory MakePixelMemory(std::size_t Size);
