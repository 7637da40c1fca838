#pragma once
// SharedTail<T>: a vector whose copies share one buffer, each copy seeing its
// own prefix of it. Copying costs two pointers. A copy writes in place the
// cells no other copy can see (those past every prefix shared so far) and
// appends in place while nobody else has appended past it; anything else
// first gives it a private copy of its prefix. A data set copied before each
// new row (a shadow copy) thus adds and fills that row without copying its
// columns.
//
// Not thread-safe: a SharedTail and all of its copies belong to one thread.

#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace ped::engine {

template <class T>
class SharedTail {
 public:
  SharedTail() = default;
  SharedTail(const SharedTail& other) : buffer_(other.buffer_), size_(other.size_) { other.share(); }
  SharedTail& operator=(const SharedTail& other) {
    if (this != &other) {
      buffer_ = other.buffer_;
      size_ = other.size_;
      other.share();
    }
    return *this;
  }
  SharedTail(SharedTail&& other) noexcept
      : buffer_(std::move(other.buffer_)), size_(std::exchange(other.size_, 0)) {}
  SharedTail& operator=(SharedTail&& other) noexcept {
    buffer_ = std::move(other.buffer_);
    size_ = std::exchange(other.size_, 0);
    return *this;
  }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const T& operator[](std::size_t i) const { return buffer_->cells[i]; }
  // The buffer this copy reads, and how many cells it holds (some may be
  // other copies' only): what an index over the cells is kept for.
  const void* buffer() const { return buffer_.get(); }
  std::size_t bufferSize() const { return buffer_ ? buffer_->cells.size() : 0; }

  // The cell to write. REQUIRES: i < size().
  T& at(std::size_t i) {
    if (i < buffer_->shared && buffer_.use_count() > 1) own();
    return buffer_->cells[i];
  }
  // All cells, writable. REQUIRES: !empty().
  T* mutableData() {
    if (buffer_.use_count() > 1) own();
    return buffer_->cells.data();
  }

  void push_back(T value) {
    appendable();
    buffer_->cells.push_back(std::move(value));
    ++size_;
  }
  // Grows to `n` cells, the new ones `value`. REQUIRES: n >= size().
  void grow(std::size_t n, const T& value) {
    appendable();
    buffer_->cells.resize(n, value);
    size_ = n;
  }
  void reserve(std::size_t n) {
    appendable();
    buffer_->cells.reserve(n);
  }
  // Keeps the first `n` cells in sight; the rest stays for copies that see it.
  // REQUIRES: n <= size().
  void truncate(std::size_t n) { size_ = n; }

 private:
  struct Buffer {
    std::vector<T> cells;
    std::size_t shared = 0;  // cells below this may be seen by more than one copy
  };
  void share() const {
    if (buffer_) buffer_->shared = std::max(buffer_->shared, size_);
  }
  void own() {
    auto mine = std::make_shared<Buffer>();
    mine->cells.reserve(size_ + size_ / 8 + 16);
    mine->cells.assign(buffer_->cells.begin(), buffer_->cells.begin() + static_cast<std::ptrdiff_t>(size_));
    buffer_ = std::move(mine);
  }
  // Makes the end of this copy's prefix the end of the buffer.
  void appendable() {
    if (!buffer_) {
      buffer_ = std::make_shared<Buffer>();
    } else if (buffer_.use_count() == 1) {
      buffer_->cells.resize(size_);
    } else if (buffer_->cells.size() != size_) {
      own();
    }
  }

  std::shared_ptr<Buffer> buffer_;
  std::size_t size_ = 0;
};

}  // namespace ped::engine
