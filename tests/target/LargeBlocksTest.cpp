// korvelimg's large-block allocator, in a program of its own since it
// replaces operator new for everything linked with it.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

TEST(LargeBlocks, LargeBuffersSitOnHugePageBoundariesAndKeepTheirBytes) {
  std::vector<uint8_t> image;
  image.reserve(2500000);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(image.data()) % (2u << 20), 0u);
  for (size_t i = 0; i < 3000000; ++i) image.push_back(static_cast<uint8_t>(i * 31));
  for (size_t i = 0; i < image.size(); i += 4099) ASSERT_EQ(image[i], static_cast<uint8_t>(i * 31));
  std::string text(1 << 20, 'x');
  text += std::string(5 << 20, 'y');
  EXPECT_EQ(text.size(), 6u << 20);
  EXPECT_EQ(text[(1 << 20) - 1], 'x');
  EXPECT_EQ(text.back(), 'y');
}

TEST(LargeBlocks, MoreLargeBlocksThanTheTableHoldsAndSmallOnesBetween) {
  std::vector<std::unique_ptr<uint8_t[]>> large, small;
  for (int i = 0; i < 48; ++i) {
    large.emplace_back(new uint8_t[(1 << 20) + i]);
    large.back()[(1 << 20) + i - 1] = static_cast<uint8_t>(i);
    small.emplace_back(new uint8_t[16]);
  }
  for (int i = 0; i < 48; ++i) EXPECT_EQ(large[i][(1 << 20) + i - 1], i);
  // Freed in another order than allocated, then allocated again.
  for (int i = 0; i < 48; i += 2) large[i].reset();
  small.clear();
  for (int i = 0; i < 48; i += 2) large[i].reset(new uint8_t[3 << 20]);
  large.clear();
  std::vector<uint8_t> again(4 << 20, 0xA5);
  EXPECT_EQ(again[(4 << 20) - 1], 0xA5);
}

TEST(LargeBlocks, ImpossibleSizesThrowInsteadOfWrapping) {
  volatile size_t huge = ~size_t{0} - 4096;
  EXPECT_THROW(static_cast<void>(::operator new(huge)), std::bad_alloc);
}

// What the nothrow form hands out (std::stable_sort's buffer, for one) is
// freed by the plain delete: both must be this allocator's.
TEST(LargeBlocks, NothrowBlocksAreFreedByThePlainDelete) {
  for (size_t size : {size_t{16}, size_t{3} << 20}) {
    void* p = ::operator new(size, std::nothrow);
    ASSERT_NE(p, nullptr) << size;
    static_cast<uint8_t*>(p)[size - 1] = 0x5A;
    ::operator delete(p);
  }
  volatile size_t huge = ~size_t{0} - 4096;
  EXPECT_EQ(::operator new(huge, std::nothrow), nullptr);
}

}  // namespace
