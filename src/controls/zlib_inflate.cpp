#include "controls/zlib_inflate.h"

#include <algorithm>
#include <cstring>

namespace ui {

namespace {

constexpr int kMaxBits = 15;
// Codes up to this long are found with one table look-up; longer ones (rare) bit by bit.
constexpr int kFastBits = 10;

// The stream's bits, least significant first. Past the end it reads zeros and counts them, so a
// symbol is decoded without a check before every bit; Overrun() tells afterwards whether any of
// those zeros was used.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size) : m_next(data), m_end(data + size) {}

  // n <= 32
  uint32_t Peek(int n) {
    Refill();
    return static_cast<uint32_t>(m_bits & ((uint64_t{1} << n) - 1));
  }
  void Drop(int n) {
    m_bits >>= n;
    m_count -= n;
  }
  uint32_t Take(int n) {
    const uint32_t value = Peek(n);
    Drop(n);
    return value;
  }
  bool Overrun() const { return m_count < m_padding * 8; }

  // Drops the bits up to the next byte boundary and gives the whole bytes still held back to
  // the input again, so that stored data and the checksum are read as bytes. False when the
  // stream has already run past its end.
  bool AlignToByte() {
    Drop(m_count % 8);
    if (Overrun()) return false;
    m_next -= m_count / 8 - m_padding;
    m_bits = 0;
    m_count = 0;
    m_padding = 0;
    return true;
  }
  const uint8_t* next() const { return m_next; }
  size_t left() const { return static_cast<size_t>(m_end - m_next); }
  void Skip(size_t n) { m_next += n; }

 private:
  void Refill() {
    while (m_count <= 56) {
      uint64_t byte = 0;
      if (m_next < m_end) byte = *m_next++;
      else ++m_padding;
      m_bits |= byte << m_count;
      m_count += 8;
    }
  }

  const uint8_t* m_next;
  const uint8_t* m_end;
  uint64_t m_bits = 0;
  int m_count = 0;
  int m_padding = 0;
};

// A canonical Huffman code as DEFLATE describes it by code lengths alone.
class Huffman {
 public:
  // False for an over-subscribed set of lengths. An incomplete set is accepted (a distance code
  // of one symbol is legal); reading an unused code is then a decode error.
  bool Build(const uint8_t* lengths, int n) {
    std::memset(m_count, 0, sizeof m_count);
    for (int i = 0; i < n; ++i) ++m_count[lengths[i]];
    int left = 1;
    for (int len = 1; len <= kMaxBits; ++len) {
      left = (left << 1) - m_count[len];
      if (left < 0) return false;
    }
    int offset[kMaxBits + 2] = {};
    for (int len = 1; len <= kMaxBits; ++len) offset[len + 1] = offset[len] + m_count[len];
    for (int i = 0; i < n; ++i)
      if (lengths[i]) m_symbol[offset[lengths[i]]++] = static_cast<uint16_t>(i);

    std::memset(m_fast, 0, sizeof m_fast);
    int code = 0, index = 0;
    for (int len = 1; len <= kFastBits; ++len, code <<= 1) {
      for (int k = 0; k < m_count[len]; ++k, ++code, ++index) {
        // The stream holds codes most significant bit first, the reader least first.
        int reversed = 0;
        for (int b = 0; b < len; ++b) reversed |= ((code >> b) & 1) << (len - 1 - b);
        for (int r = reversed; r < (1 << kFastBits); r += 1 << len)
          m_fast[r] = static_cast<uint16_t>(m_symbol[index] << 4 | len);
      }
    }
    return true;
  }

  // The next symbol, or -1 for a code the set does not use.
  int Decode(BitReader& in) const {
    const uint32_t bits = in.Peek(kMaxBits);
    const uint16_t entry = m_fast[bits & ((1u << kFastBits) - 1)];
    if (entry) {
      in.Drop(entry & 15);
      return entry >> 4;
    }
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= kMaxBits; ++len) {
      code |= (bits >> (len - 1)) & 1;
      const int count = m_count[len];
      if (code - first < count) {
        in.Drop(len);
        return m_symbol[index + code - first];
      }
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    return -1;
  }

 private:
  // (symbol << 4) | length for every kFastBits-bit pattern that starts with a short code; 0
  // where the code is longer (or unused).
  uint16_t m_fast[1 << kFastBits];
  uint16_t m_count[kMaxBits + 1];
  uint16_t m_symbol[288];
};

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                        33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class Inflater {
 public:
  Inflater(const uint8_t* data, size_t size, uint8_t* out, size_t outSize)
      : m_in(data, size), m_out(out), m_size(outSize) {}

  bool Run() {
    bool last = false;
    while (!last) {
      last = m_in.Take(1) != 0;
      const uint32_t type = m_in.Take(2);
      const bool ok = type == 0 ? Stored() : type == 1 ? Fixed() : type == 2 ? Dynamic() : false;
      if (!ok) return false;
    }
    if (m_pos != m_size || !m_in.AlignToByte() || m_in.left() < 4) return false;
    const uint8_t* sum = m_in.next();
    const uint32_t adler = uint32_t{sum[0]} << 24 | uint32_t{sum[1]} << 16 | uint32_t{sum[2]} << 8 | sum[3];
    return adler == Adler32(m_out, m_size);
  }

 private:
  bool Stored() {
    if (!m_in.AlignToByte() || m_in.left() < 4) return false;
    const uint8_t* header = m_in.next();
    const size_t length = header[0] | header[1] << 8;
    const size_t complement = header[2] | header[3] << 8;
    if (length != (~complement & 0xFFFF)) return false;
    m_in.Skip(4);
    if (length > m_in.left() || length > m_size - m_pos) return false;
    std::memcpy(m_out + m_pos, m_in.next(), length);
    m_in.Skip(length);
    m_pos += length;
    return true;
  }

  bool Fixed() {
    uint8_t lengths[288];
    std::memset(lengths, 8, 144);
    std::memset(lengths + 144, 9, 112);
    std::memset(lengths + 256, 7, 24);
    std::memset(lengths + 280, 8, 8);
    uint8_t distances[30];
    std::memset(distances, 5, sizeof distances);
    return m_literals.Build(lengths, 288) && m_distances.Build(distances, 30) && Codes();
  }

  bool Dynamic() {
    const int literals = static_cast<int>(m_in.Take(5)) + 257;
    const int distances = static_cast<int>(m_in.Take(5)) + 1;
    const int codeLengths = static_cast<int>(m_in.Take(4)) + 4;
    if (literals > 286 || distances > 30) return false;
    static constexpr uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    uint8_t lengthsOfLengths[19] = {};
    for (int i = 0; i < codeLengths; ++i) lengthsOfLengths[kOrder[i]] = static_cast<uint8_t>(m_in.Take(3));
    Huffman& lengthCode = m_literals;  // free until the literal code is built below
    if (!lengthCode.Build(lengthsOfLengths, 19)) return false;

    uint8_t lengths[286 + 30];
    const int total = literals + distances;
    for (int i = 0; i < total;) {
      const int symbol = lengthCode.Decode(m_in);
      if (symbol < 0 || m_in.Overrun()) return false;
      if (symbol < 16) {
        lengths[i++] = static_cast<uint8_t>(symbol);
        continue;
      }
      uint8_t value = 0;
      int repeat;
      if (symbol == 16) {
        if (i == 0) return false;
        value = lengths[i - 1];
        repeat = 3 + static_cast<int>(m_in.Take(2));
      } else if (symbol == 17) {
        repeat = 3 + static_cast<int>(m_in.Take(3));
      } else {
        repeat = 11 + static_cast<int>(m_in.Take(7));
      }
      if (repeat > total - i) return false;
      std::memset(lengths + i, value, static_cast<size_t>(repeat));
      i += repeat;
    }
    // A block that cannot end is damaged.
    if (lengths[256] == 0) return false;
    return m_literals.Build(lengths, literals) && m_distances.Build(lengths + literals, distances) && Codes();
  }

  bool Codes() {
    for (;;) {
      int symbol = m_literals.Decode(m_in);
      if (symbol < 0 || m_in.Overrun()) return false;
      if (symbol < 256) {
        if (m_pos == m_size) return false;
        m_out[m_pos++] = static_cast<uint8_t>(symbol);
        continue;
      }
      if (symbol == 256) return true;
      symbol -= 257;
      if (symbol >= 29) return false;
      size_t length = kLengthBase[symbol] + m_in.Take(kLengthExtra[symbol]);
      const int code = m_distances.Decode(m_in);
      if (code < 0 || code >= 30) return false;
      const size_t distance = kDistanceBase[code] + m_in.Take(kDistanceExtra[code]);
      if (m_in.Overrun() || distance > m_pos || length > m_size - m_pos) return false;
      uint8_t* to = m_out + m_pos;
      const uint8_t* from = to - distance;
      m_pos += length;
      if (distance >= length) {
        std::memcpy(to, from, length);
      } else {
        // A run of the last `distance` bytes: copied in pieces that double, each taken from
        // the start of the run, so that no piece overlaps what it reads.
        while (length > 0) {
          const size_t piece = std::min(length, static_cast<size_t>(to - from));
          std::memcpy(to, from, piece);
          to += piece;
          length -= piece;
        }
      }
    }
  }

  BitReader m_in;
  uint8_t* m_out;
  size_t m_size;
  size_t m_pos = 0;
  Huffman m_literals;
  Huffman m_distances;
};

}  // namespace

uint32_t Adler32(const uint8_t* data, size_t size) {
  uint32_t a = 1, b = 0;
  while (size > 0) {
    // The most bytes whose sums cannot overflow 32 bits before the modulo.
    size_t n = size < 5552 ? size : 5552;
    size -= n;
    while (n--) {
      a += *data++;
      b += a;
    }
    a %= 65521;
    b %= 65521;
  }
  return b << 16 | a;
}

bool ZlibInflate(const uint8_t* data, size_t size, uint8_t* out, size_t outSize) {
  if (size < 2) return false;
  const unsigned header = unsigned{data[0]} << 8 | data[1];
  const bool deflate = (data[0] & 0x0F) == 8 && (data[0] >> 4) <= 7;
  const bool dictionary = (data[1] & 0x20) != 0;
  if (!deflate || header % 31 != 0 || dictionary) return false;
  Inflater inflater(data + 2, size - 2, out, outSize);
  return inflater.Run();
}

}  // namespace ui
