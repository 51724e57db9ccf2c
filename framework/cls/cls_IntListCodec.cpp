#include "cls_IntListCodec.h"

#include "cow_1DArrayIter.h"

#include <algorithm>
#include <bit>

static_assert(std::endian::native == std::endian::little,
              "int lists are stored as little-endian int32; add byte swapping here");

namespace cls_IntListCodec {

void Encode(const cow_1DArrayList<int>& ids,
            const std::function<void(const void*, int, int)>& write, std::vector<int>& stage) {
    // Every write call costs a page lookup whatever its size, so runs shorter than this are
    // gathered first.
    constexpr int kDirectRun = 4096;
    constexpr int kStageIds = 1 << 16;
    const int stageIds = std::min(kStageIds, ids.Count());
    int offset = 0; // bytes handed out
    int staged = 0; // ids waiting in the stage
    auto flush = [&] {
        if (staged > 0)
            write(stage.data(), staged * 4, offset);
        offset += staged * 4;
        staged = 0;
    };
    for (cow_1DArrayIter<int> it(ids.Array(), ids.Count()); it.More();) {
        const int n = it.RunLength();
        if (n >= kDirectRun) {
            flush();
            write(it.RunData(), n * 4, offset);
            offset += n * 4;
        } else {
            if (static_cast<int>(stage.size()) < stageIds)
                stage.resize(stageIds);
            if (staged + n > stageIds)
                flush();
            std::copy_n(it.RunData(), n, stage.data() + staged);
            staged += n;
        }
        it.Skip(n);
    }
    flush();
}

cow_1DArrayList<int> Decode(int count, const std::function<void(void*, int, int)>& read) {
    if (count <= 0)
        return {};
    cow_1DArray<int> array(count);
    const int blockSize = array.BlockSize();
    for (int k = 0; k < count;) {
        int* block = &array.Get(k);
        const int chunk = std::min(blockSize - ((array.Start() + k) & (blockSize - 1)), count - k);
        read(block, chunk * 4, k * 4);
        k += chunk;
    }
    return cow_1DArrayList<int>(array, count);
}

} // namespace cls_IntListCodec
