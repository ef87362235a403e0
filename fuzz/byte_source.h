// Takes typed values off the front of a fuzz input; once the input is used up every value is 0,
// so that short inputs still make a whole request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace fuzz {

class ByteSource {
  public:
    ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    template <typename T>
    T take() {
        T value{};
        const std::size_t n = sizeof(T) < size_ ? sizeof(T) : size_;
        if (n > 0) std::memcpy(&value, data_, n);
        data_ += n;
        size_ -= n;
        return value;
    }

    // A value in [0, bound) (bound > 0).
    unsigned takeBelow(unsigned bound) { return take<std::uint16_t>() % bound; }
    bool takeBit() { return (take<std::uint8_t>() & 1) != 0; }

    const std::uint8_t* data() const { return data_; }
    std::size_t remaining() const { return size_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace fuzz
