// A zlib stream (the compressed body of a PNG picture) inflated into a buffer of known size.
// Any input is safe to hand in: damaged, truncated or hostile data is a refusal, never a read
// or write outside the buffers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ui {

// Inflates the zlib stream in `data` into `out`. True only when the stream is whole (header,
// final block, Adler-32 of the output) and makes exactly `outSize` bytes; a stream that needs a
// preset dictionary is refused. Bytes after the checksum are ignored.
bool ZlibInflate(const uint8_t* data, size_t size, uint8_t* out, size_t outSize);

uint32_t Adler32(const uint8_t* data, size_t size);

}  // namespace ui
