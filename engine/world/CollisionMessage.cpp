#include "engine/world/CollisionMessage.h"

#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace
{

// Blocks on cache-line boundaries: a message then fills one line, not two.
constexpr std::size_t kAlignment = 64;
constexpr std::size_t kBlockSize =
    (sizeof(CollisionMessage) + kAlignment - 1) / kAlignment * kAlignment;
constexpr std::size_t kBlocksPerChunk = 512;
constexpr std::size_t kChunkSize = kBlocksPerChunk * kBlockSize;

/// Free blocks, taken from the back: an array rather than a list threaded through the blocks,
/// so that taking one never waits for a load from the block itself. Never destroyed, so that
/// messages deleted late in the program's exit still find it.
std::vector<void*>& s_freeBlocks = *new std::vector<void*>();

// Free blocks are poisoned for the address sanitizer, so that it still sees a message used after
// its deletion.
void Poison(void* block)
{
#if defined(__SANITIZE_ADDRESS__)
    ASAN_POISON_MEMORY_REGION(block, kBlockSize);
#else
    (void)block;
#endif
}

void Unpoison(void* block)
{
#if defined(__SANITIZE_ADDRESS__)
    ASAN_UNPOISON_MEMORY_REGION(block, kBlockSize);
#else
    (void)block;
#endif
}

/// Takes a chunk of fresh blocks. Chunks are never given back: the pool only grows to the most
/// messages a frame had in flight.
void AddChunk()
{
    static auto* chunks = new std::vector<void*>(); // keeps them reachable for the leak checker
    auto* chunk =
        static_cast<unsigned char*>(::operator new(kChunkSize, std::align_val_t(kAlignment)));
    chunks->push_back(chunk);
    std::vector<void*>& blocks = s_freeBlocks;
    // Room for every block there is, so that giving one back never allocates.
    blocks.reserve(chunks->size() * kBlocksPerChunk);
    for (std::size_t i = kBlocksPerChunk; i-- > 0;)
    {
        blocks.push_back(chunk + i * kBlockSize);
        Poison(blocks.back());
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
    std::vector<void*>& blocks = s_freeBlocks;
    if (blocks.empty())
        AddChunk();
    void* block = blocks.back();
    blocks.pop_back();
    Unpoison(block);
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
    Poison(memory);
    s_freeBlocks.push_back(memory);
}
