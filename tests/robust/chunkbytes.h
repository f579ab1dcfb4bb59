// Hand-built 3DS bytes for tests that need files no writer would make.
#ifndef ROBUST_CHUNKBYTES_H
#define ROBUST_CHUNKBYTES_H

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

// Appends little-endian values; Begin/End wrap what lies between them in a
// chunk whose length End fills in (or leaves as forced by Begin's length).
class ChunkBytes {
public:
    std::vector<unsigned char> bytes;

    ChunkBytes &Begin(uint16_t id, int64_t forcedLength = -1)
    {
        U16(id);
        open_.push_back({bytes.size() - 2, forcedLength});
        return U32(0);
    }
    ChunkBytes &End()
    {
        const Open o = open_.back();
        open_.pop_back();
        const uint32_t length = o.forced >= 0 ? uint32_t(o.forced) : uint32_t(bytes.size() - o.at);
        Patch32(o.at + 2, length);
        return *this;
    }
    // A chunk with nothing but data.
    ChunkBytes &Leaf(uint16_t id, const std::vector<unsigned char> &data = {})
    {
        Begin(id);
        Raw(data);
        return End();
    }
    ChunkBytes &U8(uint8_t v)
    {
        bytes.push_back(v);
        return *this;
    }
    ChunkBytes &U16(uint16_t v) { return U8(v & 0xff).U8(v >> 8); }
    ChunkBytes &U32(uint32_t v) { return U16(v & 0xffff).U16(v >> 16); }
    ChunkBytes &F32(float f)
    {
        uint32_t v;
        memcpy(&v, &f, 4);
        return U32(v);
    }
    // The text and its terminator.
    ChunkBytes &Str(const std::string &s)
    {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return U8(0);
    }
    // The text without a terminator.
    ChunkBytes &Chars(const std::string &s)
    {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    ChunkBytes &Raw(const std::vector<unsigned char> &data)
    {
        bytes.insert(bytes.end(), data.begin(), data.end());
        return *this;
    }
    void Patch32(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; i++) bytes[at + i] = (v >> (8 * i)) & 0xff;
    }

private:
    struct Open {
        size_t at;
        int64_t forced;
    };
    std::vector<Open> open_;
};

#endif
