#pragma once
// Little-endian numbers in file headers (BMP, TIFF).

#include <cstdint>

namespace korvane {

inline void PutLittle16(unsigned char* at, std::uint16_t value) {
    at[0] = static_cast<unsigned char>(value & 0xff);
    at[1] = static_cast<unsigned char>(value >> 8);
}

inline void PutLittle32(unsigned char* at, std::uint32_t value) {
    for (int b = 0; b < 4; ++b) {
        at[b] = static_cast<unsigned char>((value >> (8 * b)) & 0xff);
    }
}

}  // namespace korvane
