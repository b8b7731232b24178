#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

struct libdeflate_decompressor;

namespace sorvane {

// Inflates a member's raw deflate data with libdeflate. libdeflate has no streaming interface:
// a member is inflated whole into a buffer of its declared size, and only a result that is
// certainly the member's content is taken.
class MemberInflater {
  public:
    MemberInflater();
    ~MemberInflater();
    MemberInflater(const MemberInflater&) = delete;
    MemberInflater& operator=(const MemberInflater&) = delete;

    // Inflates `compressed` into `out`: true when the stream gives exactly out.size() bytes
    // whose CRC-32 is `crc`. Anything else (a damaged stream, another length, another CRC) is
    // false, and the content of `out` is then undefined.
    bool inflateWhole(std::span<const uint8_t> compressed, uint32_t crc, std::span<uint8_t> out);

  private:
    libdeflate_decompressor* decompressor_;
};

}  // namespace sorvane
