// A buffer for one URL cache entry record, aligned for the record's
// pointers, with its structure-size field set to its size.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

namespace cookies {

class CacheEntryBuffer {
 public:
  explicit CacheEntryBuffer(uint32_t size) { Resize(size); }

  // A new buffer of `size` bytes; the old record is gone.
  void Resize(uint32_t size) {
    size_ = size < 4 ? 4 : size;
    words_.reset(new uint64_t[(size_ + 7) / 8]());
    std::memcpy(words_.get(), &size_, 4);
  }
  void* data() { return words_.get(); }
  uint32_t size() const { return size_; }

 private:
  std::unique_ptr<uint64_t[]> words_;
  uint32_t size_ = 0;
};

}  // namespace cookies
