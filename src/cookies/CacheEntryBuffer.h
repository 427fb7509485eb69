// A buffer for one URL cache entry record, aligned for the record's
// pointers, with its structure-size field set to its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace cookies {

class CacheEntryBuffer {
 public:
  // The largest record a buffer takes. A record holds an address (at most a
  // few kilobytes), a local file name and the stored response headers; 4 MiB
  // is far beyond any of them, so a cache that asks for more is broken or
  // hostile and its size is refused rather than allocated.
  static constexpr uint32_t kMaxSize = uint32_t{4} << 20;

  explicit CacheEntryBuffer(uint32_t size) { Resize(size); }

  // A new buffer of `size` bytes; the old record is gone. False, keeping
  // the old buffer, for a size beyond kMaxSize.
  bool Resize(uint32_t size) {
    if (size > kMaxSize) return false;
    size_ = size < 4 ? 4 : size;
    words_.reset(new uint64_t[(size_t{size_} + 7) / 8]());
    std::memcpy(words_.get(), &size_, 4);
    return true;
  }
  void* data() { return words_.get(); }
  uint32_t size() const { return size_; }

 private:
  std::unique_ptr<uint64_t[]> words_;
  uint32_t size_ = 0;
};

}  // namespace cookies
