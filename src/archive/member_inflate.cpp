#include "archive/member_inflate.h"

#include <libdeflate.h>

#include <new>

namespace sorvane {

MemberInflater::MemberInflater() : decompressor_(libdeflate_alloc_decompressor()) {
    if (decompressor_ == nullptr) throw std::bad_alloc();
}

MemberInflater::~MemberInflater() {
    libdeflate_free_decompressor(decompressor_);
}

bool MemberInflater::inflateWhole(std::span<const uint8_t> compressed, uint32_t crc,
                                  std::span<uint8_t> out) {
    // Without a place for the actual length libdeflate insists on exactly out.size() bytes.
    return libdeflate_deflate_decompress(decompressor_, compressed.data(), compressed.size(),
                                         out.data(), out.size(), nullptr) == LIBDEFLATE_SUCCESS &&
           libdeflate_crc32(0, out.data(), out.size()) == crc;
}

}  // namespace sorvane
