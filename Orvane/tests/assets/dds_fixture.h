#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Orvane::Test {

// Builds DDS files in memory: the header fields are set directly (so tests can also write lying
// headers), the payload is appended as it is.
struct DdsFixture {
    static constexpr uint32_t kPfAlphaPixels = 0x1;
    static constexpr uint32_t kPfFourCC = 0x4;
    static constexpr uint32_t kPfRgb = 0x40;
    static constexpr uint32_t kPfLuminance = 0x20000;
    static constexpr uint32_t kCaps2Cubemap = 0x200;
    static constexpr uint32_t kCaps2AllFaces = 0xFC00;
    static constexpr uint32_t kCaps2Volume = 0x200000;
    static constexpr uint32_t kFlagDepth = 0x800000;

    uint32_t magic = 0x20534444;
    uint32_t headerSize = 124;
    uint32_t flags = 0x1007; // caps, height, width, pixel format
    uint32_t width = 4;
    uint32_t height = 4;
    uint32_t depth = 0;
    uint32_t mipCount = 1;
    uint32_t pfSize = 32;
    uint32_t pfFlags = 0;
    uint32_t fourCC = 0;
    uint32_t bitCount = 0;
    uint32_t masks[4] = {}; // red, green, blue, alpha
    uint32_t caps2 = 0;

    bool dx10 = false;
    uint32_t dxgiFormat = 0;
    uint32_t dimension = 3; // 2D
    uint32_t miscFlag = 0;
    uint32_t arraySize = 1;

    std::vector<uint8_t> payload;

    static uint32_t code(const char (&text)[5])
    {
        return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 | uint32_t(uint8_t(text[2])) << 16 |
                uint32_t(uint8_t(text[3])) << 24;
    }

    static DdsFixture compressed(const char (&fourCCText)[5], uint32_t w, uint32_t h, uint32_t mips)
    {
        DdsFixture f;
        f.width = w;
        f.height = h;
        f.mipCount = mips;
        f.pfFlags = kPfFourCC;
        f.fourCC = code(fourCCText);
        return f;
    }

    static DdsFixture masked(uint32_t pfFlags, uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a,
                             uint32_t w, uint32_t h)
    {
        DdsFixture f;
        f.width = w;
        f.height = h;
        f.pfFlags = pfFlags;
        f.bitCount = bits;
        f.masks[0] = r;
        f.masks[1] = g;
        f.masks[2] = b;
        f.masks[3] = a;
        return f;
    }

    static DdsFixture withDx10(uint32_t dxgi, uint32_t w, uint32_t h, uint32_t mips, uint32_t layers = 1)
    {
        DdsFixture f;
        f.width = w;
        f.height = h;
        f.mipCount = mips;
        f.pfFlags = kPfFourCC;
        f.fourCC = code("DX10");
        f.dx10 = true;
        f.dxgiFormat = dxgi;
        f.arraySize = layers;
        return f;
    }

    // A payload of `size` bytes whose values follow a simple pattern, so misplaced bytes show.
    DdsFixture &withPattern(std::size_t size)
    {
        payload = pattern(size);
        return *this;
    }

    static std::vector<uint8_t> pattern(std::size_t size)
    {
        std::vector<uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = uint8_t((i * 7 + i / 251) & 0xFF);
        return bytes;
    }

    std::vector<uint8_t> bytes() const
    {
        std::vector<uint8_t> out;
        auto put = [&out](uint32_t v) {
            for (int i = 0; i < 4; ++i)
                out.push_back(uint8_t(v >> (8 * i)));
        };
        put(magic);
        put(headerSize);
        put(flags);
        put(height);
        put(width);
        put(0); // pitch or linear size: not used by readers
        put(depth);
        put(mipCount);
        for (int i = 0; i < 11; ++i)
            put(0);
        put(pfSize);
        put(pfFlags);
        put(fourCC);
        put(bitCount);
        for (uint32_t mask : masks)
            put(mask);
        put(0x1000); // caps: texture
        put(caps2);
        put(0);
        put(0);
        put(0);
        if (dx10) {
            put(dxgiFormat);
            put(dimension);
            put(miscFlag);
            put(arraySize);
            put(0);
        }
        out.insert(out.end(), payload.begin(), payload.end());
        return out;
    }
};

} // namespace Orvane::Test
