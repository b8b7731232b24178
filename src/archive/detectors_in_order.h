#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include "archive/detector_reader.h"
#include "archive/unzip.h"
#include "common/ordered_workers.h"

namespace sorvane {

// Reads a detector's members through the reader of the thread that calls it.
using ReadDetector = std::function<DetectorMembers(int32_t det)>;

// Items made ahead per worker: enough to keep it busy while the calling thread catches up, few
// enough to cost little memory.
inline constexpr size_t kItemsAheadPerWorker = 16;

// Makes items 0..count-1 from the listed archive of `reader` and consumes them in order on the
// calling thread (see runInOrder). `make` runs on `workers` threads, each reading through a
// DetectorReader of its own on the archive's listing; 1 makes them all on the calling thread
// through `reader`, without another thread. A worker that cannot open the archive again (the
// file was replaced since it was listed) leaves its share to the others or the calling thread.
// Once every item is consumed, the archive's file must still be the one listed (checkUnchanged):
// the run's caller writes its results only after this returns.
template <typename Item>
void readDetectorsInOrder(Unzip& reader, int workers, size_t count,
                          const std::function<Item(size_t index, const ReadDetector& read)>& make,
                          const std::function<void(size_t index, Item& item)>& consume) {
    const ReadDetector readHere = [&reader](int32_t det) { return reader.readDetector(det); };
    const ItemMaker<Item> makeHere = [&](size_t index) { return make(index, readHere); };
    const std::shared_ptr<const ArchiveListing> listing = reader.listing();
    if (workers <= 1) {
        for (size_t index = 0; index < count; ++index) {
            Item item = makeHere(index);
            consume(index, item);
        }
        if (listing) checkUnchanged(*listing);
        return;
    }
    const std::function<ItemMaker<Item>()> makeWorker = [&]() -> ItemMaker<Item> {
        std::shared_ptr<DetectorReader> own = DetectorReader::open(listing);
        if (!own) return {};
        return [own, &make](size_t index) {
            return make(index, [&own](int32_t det) { return own->read(det); });
        };
    };
    runInOrder<Item>(count, workers, kItemsAheadPerWorker * static_cast<size_t>(workers),
                     makeWorker, makeHere, consume);
    if (listing) checkUnchanged(*listing);
}

}  // namespace sorvane
