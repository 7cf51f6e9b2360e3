#pragma once
#include <cstddef>

// Inflates one zlib stream of packedSize bytes into exactly realSize bytes at
// dest and returns zlib's status. libdeflate serves the common case; a failure
// is re-run through zlib's uncompress so the status and the partial output are
// zlib's own. Whatever the stream produced, dest is filled up to realSize: the
// bytes after a failed inflation are zero. A stream that ends before realSize
// bytes counts as damage (Z_DATA_ERROR) although zlib calls it a success.
int InflateEntryData(const unsigned char* src, std::size_t packedSize, unsigned char* dest, std::size_t realSize);

class CDATInternalFile;

// The entry's packed bytes into exactly realSize bytes at dest, zlib or LZSS
// as the entry is stored, with InflateEntryData's statuses and filling: a
// stream that ends early or short is Z_DATA_ERROR, one that runs past the
// real size Z_BUF_ERROR.
int UnpackEntryData(const CDATInternalFile& entry, const unsigned char* src, std::size_t packedSize,
                    unsigned char* dest, std::size_t realSize);

// zlib's status for what the LZSS inflater said.
int LzssZlibStatus(int lzssStatus);
