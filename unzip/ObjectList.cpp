// The owning object lists. Growth goes by the small fixed steps of the design; the array is
// resized in place where the allocator can, so a directory of 65,520 entries does not pay for
// thousands of copies.
#include "unzip/ObjectList.h"

#include <cstdlib>
#include <cstring>
#include <new>

TObjectList::TObjectList() = default;

TObjectList::~TObjectList() {
    FreeAll();
    Clear();
}

void TObjectList::Error() const { throw EListError("ListIndexError"); }

void TObjectList::Grow() {
    const int32_t delta = FCapacity <= 4 ? 4 : FCapacity <= 8 ? 8 : 16;
    SetCapacity(FCapacity + delta);
}

void TObjectList::Put(int32_t index, TPersistent* item) {
    if (index < 0 || index >= FCount) Error();
    FItems[index] = item;
}

void TObjectList::FreeItem(TPersistent* item) {
    if (OwnsItems) delete item;
}

int32_t TObjectList::Add(TPersistent* item) {
    if (FCount == FCapacity) Grow();
    FItems[FCount] = item;
    return FCount++;
}

void TObjectList::Clear() {
    SetCount(0);
    SetCapacity(0);
}

int32_t TObjectList::IndexOf(TPersistent* item) {
    for (int32_t i = 0; i < FCount; ++i)
        if (FItems[i] == item) return i;
    return -1;
}

void TObjectList::Insert(int32_t index, TPersistent* item) {
    if (index < 0 || index > FCount) Error();
    if (FCount == FCapacity) Grow();
    if (index < FCount) std::memmove(FItems + index + 1, FItems + index, sizeof(TPersistent*) * (FCount - index));
    FItems[index] = item;
    ++FCount;
}

TPersistent* TObjectList::First() {
    if (FCount == 0) Error();
    return FItems[0];
}

TPersistent* TObjectList::Last() {
    if (FCount == 0) Error();
    return FItems[FCount - 1];
}

TPersistent* TObjectList::Neighbour(TPersistent* item, bool forward) {
    if (!item) return forward ? First() : Last();
    const int32_t at = IndexOf(item);
    if (at < 0) throw EListError(Format("tObject %s not in item list", item->ClassName()));
    const int32_t next = forward ? at + 1 : at - 1;
    return next >= 0 && next < FCount ? FItems[next] : nullptr;
}

TPersistent* TObjectList::Get(int32_t index) const {
    if (index < 0 || index >= FCount) Error();
    return FItems[index];
}

void TObjectList::SetCapacity(int32_t n) {
    if (n == FCapacity) return;
    if (n < FCount || n > MaxListSize) Error();
    if (n == 0) {
        std::free(FItems);
        FItems = nullptr;
    } else {
        void* grown = std::realloc(FItems, sizeof(TPersistent*) * static_cast<size_t>(n));
        if (!grown) throw std::bad_alloc();
        FItems = static_cast<TPersistent**>(grown);
    }
    FCapacity = n;
}

void TObjectList::SetCount(int32_t n) {
    if (n < 0 || n > MaxListSize) Error();
    if (n > FCapacity) SetCapacity(n);
    for (int32_t i = FCount; i < n; ++i) FItems[i] = nullptr;
    FCount = n;
}

void TObjectList::FreeAll() {
    for (int32_t i = 0; i < FCount; ++i) FreeItem(FItems[i]);
    Clear();
}

TSortedObjectList::TSortedObjectList(TDuplicateMode duplicates) : Duplicates(duplicates) {}

void TSortedObjectList::Put(int32_t, TPersistent*) { throw EListError("Cannot <Put> an Object in a sorted list!"); }

int32_t TSortedObjectList::Add(TPersistent* item) {
    Insert(0, item);
    return 0;
}

int32_t TSortedObjectList::IndexOf(TPersistent* item) {
    int32_t index = 0;
    return Search(KeyOf(item), index) ? index : -1;
}

bool TSortedObjectList::Search(TPersistent* key, int32_t& index) {
    int32_t lo = 0, hi = FCount - 1;
    bool found = false;
    while (lo <= hi) {
        const int32_t mid = (lo + hi) / 2;
        const int c = Compare(KeyOf(FItems[mid]), key);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (Duplicates != dmAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

void TSortedObjectList::Insert(int32_t, TPersistent* item) {
    int32_t at = 0;
    if (Search(KeyOf(item), at)) {
        if (Duplicates == dmIgnore) return;
        if (Duplicates == dmError) throw EListError("Duplicate Object index");
    }
    TObjectList::Insert(at, item);
}
