// The stored form of an int list: its ids as one run of little-endian int32 bytes.
//
// Encoding hands the list's blocks out as they are (long runs) or gathered in a staging buffer
// (short runs, as a list grown by appending has): no copy of the whole list is made. Decoding
// reads straight into the blocks of a list sized for the ids.
#pragma once

#include "cow_1DArrayList.h"

#include <functional>
#include <vector>

namespace cls_IntListCodec {

// Stored bytes of `ids`. O(1).
inline long long ByteCount(const cow_1DArrayList<int>& ids) { return 4LL * ids.Count(); }

// Calls `write(bytes, size, offset)` for consecutive pieces of the stored form, in order.
// `stage` is scratch space, kept by the caller between calls to save allocations (it grows to
// 256 KiB at most). O(n): long runs are handed out in place, short ones copied once into `stage`.
void Encode(const cow_1DArrayList<int>& ids,
            const std::function<void(const void* bytes, int size, int offset)>& write,
            std::vector<int>& stage);

// A list of `count` ids whose bytes `read(into, size, offset)` delivers. Allocates an array sized
// for them (its blocks) and calls `read` once per block: every id is copied once, by `read`.
cow_1DArrayList<int> Decode(int count,
                            const std::function<void(void* into, int size, int offset)>& read);

} // namespace cls_IntListCodec
