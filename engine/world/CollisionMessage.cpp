#include "engine/world/CollisionMessage.h"

#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace
{

struct FreeBlock
{
    FreeBlock* next;
};

// Blocks on cache-line boundaries: a message then fills one line, not two.
constexpr std::size_t kAlignment = 64;
constexpr std::size_t kBlockSize =
    (sizeof(CollisionMessage) + kAlignment - 1) / kAlignment * kAlignment;
constexpr std::size_t kBlocksPerChunk = 512;

FreeBlock* s_freeBlocks = nullptr;

// Free blocks are poisoned for the address sanitizer, so that it still sees a message used after
// its deletion.
void Poison(FreeBlock* block)
{
#if defined(__SANITIZE_ADDRESS__)
    ASAN_POISON_MEMORY_REGION(block, kBlockSize);
#else
    (void)block;
#endif
}

void Unpoison(FreeBlock* block)
{
#if defined(__SANITIZE_ADDRESS__)
    ASAN_UNPOISON_MEMORY_REGION(block, kBlockSize);
#else
    (void)block;
#endif
}

/// Takes a chunk of fresh blocks. Chunks are never given back: the pool only grows to the most
/// messages a frame had in flight, and blocks stay valid until the program ends.
void AddChunk()
{
    // Reachable from here for the leak checker.
    static auto* chunks = new std::vector<void*>();
    auto* chunk = static_cast<unsigned char*>(::operator new(kBlockSize* kBlocksPerChunk));
    chunks->push_back(chunk);
    for (std::size_t i = kBlocksPerChunk; i-- > 0;)
    {
        auto* block = reinterpret_cast<FreeBlock*>(chunk + i * kBlockSize);
        block->next = s_freeBlocks;
        s_freeBlocks = block;
        Poison(block);
    }
}

} // namespace

CollisionMessage::CollisionMessage(const Switchboard::Channel* channel, b2ContactPoint* point,
                                   MessageListener* sender)
    : TypedMessage<b2ContactPoint*>(NamedBySubclass(), point, sender), m_channel(channel)
{
}

void* CollisionMessage::operator new(std::size_t size)
{
    // A derived class of another size gets ordinary memory.
    if (size != sizeof(CollisionMessage))
        return ::operator new(size);
    if (s_freeBlocks == nullptr)
        AddChunk();
    FreeBlock* block = s_freeBlocks;
    Unpoison(block);
    s_freeBlocks = block->next;
    return block;
}

void CollisionMessage::operator delete(void* memory, std::size_t size)
{
    if (memory == nullptr)
        return;
    if (size != sizeof(CollisionMessage))
    {
        ::operator delete(memory);
        return;
    }
    auto* block = static_cast<FreeBlock*>(memory);
    block->next = s_freeBlocks;
    s_freeBlocks = block;
    Poison(block);
}
