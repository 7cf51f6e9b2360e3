#pragma once
#include <cstddef>

// Inflates one zlib stream of packedSize bytes into exactly realSize bytes at
// dest and returns zlib's status. libdeflate serves the common case; a failure
// is re-run through zlib's uncompress so the status and the partial output are
// zlib's own. Whatever the stream produced, dest is filled up to realSize: the
// bytes after a failed inflation are zero. A stream that ends before realSize
// bytes counts as damage (Z_DATA_ERROR) although zlib calls it a success.
int InflateEntryData(const unsigned char* src, std::size_t packedSize, unsigned char* dest, std::size_t realSize);
