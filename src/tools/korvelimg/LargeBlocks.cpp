// Where korvelimg's large buffers come from. Converting a 2 MB image spent
// about a fifth of its time in page faults on the buffer that collects it,
// one fault for every 4 KB. Blocks of a megabyte and more are therefore
// mapped here on 2 MB boundaries and offered to the kernel for huge pages,
// so the whole image takes a fault or two. Smaller blocks are the C
// library's as usual.
#include <sys/mman.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

namespace {

constexpr size_t kLarge = size_t{1} << 20;
constexpr size_t kHuge = size_t{2} << 20;

struct Block {
  void* User = nullptr;  // what operator new returned
  void* Base = nullptr;  // what mmap returned
  size_t Length = 0;
};

// A tool allocates only a handful of large blocks at a time; past that
// many they come from the C library instead.
constexpr int kMaxBlocks = 32;
Block blocks[kMaxBlocks];
std::mutex blocksLock;
std::atomic<int> liveBlocks{0};  // lets the many small frees skip the lock

void* MapLarge(size_t size) {
  // Sizes near the top of the range would wrap below; malloc refuses them.
  if (size > (size_t{1} << 48)) return nullptr;
  const size_t body = (size + kHuge - 1) & ~(kHuge - 1);
  const size_t length = body + kHuge;  // room to move to a 2 MB boundary
  std::lock_guard<std::mutex> hold(blocksLock);
  Block* slot = nullptr;
  for (Block& b : blocks)
    if (!b.User) {
      slot = &b;
      break;
    }
  if (!slot) return nullptr;
  void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return nullptr;
  const uintptr_t at = (reinterpret_cast<uintptr_t>(base) + kHuge - 1) & ~uintptr_t{kHuge - 1};
  void* user = reinterpret_cast<void*>(at);
  madvise(user, body, MADV_HUGEPAGE);  // advice only; 4 KB pages still work
  *slot = {user, base, length};
  liveBlocks.fetch_add(1, std::memory_order_relaxed);
  return user;
}

bool UnmapLarge(void* p) {
  if (liveBlocks.load(std::memory_order_relaxed) == 0) return false;
  std::lock_guard<std::mutex> hold(blocksLock);
  for (Block& b : blocks)
    if (b.User == p) {
      munmap(b.Base, b.Length);
      b = {};
      liveBlocks.fetch_sub(1, std::memory_order_relaxed);
      return true;
    }
  return false;
}

}  // namespace

void* operator new(size_t size) {
  if (size >= kLarge)
    if (void* p = MapLarge(size)) return p;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
  if (p && !UnmapLarge(p)) std::free(p);
}

void operator delete(void* p, size_t) noexcept { operator delete(p); }

// The nothrow forms too: a runtime that supplies its own (a sanitizer's)
// would otherwise hand out blocks that the delete above frees as ours.
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
