// The archive reader's own owning object lists: TObjectList, an array of object references
// with fixed growth steps and a capacity below 65,535, and TSortedObjectList, which keeps its
// items in the order of an abstract comparison (the entry lists of TSortedZip rest on it).
#pragma once

#include "platform/rtl/SysUtils.h"

#include <cstdint>

// The base of the objects that the reader's lists hold; the class name is what the list's
// "not in item list" message names.
class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual const char* ClassName() const { return "TPersistent"; }
};

class TObjectList : public TPersistent {
public:
    static constexpr int32_t MaxListSize = 65534;  // Capacity never exceeds this

    TObjectList();
    ~TObjectList() override;
    TObjectList(const TObjectList&) = delete;
    TObjectList& operator=(const TObjectList&) = delete;
    const char* ClassName() const override { return "TObjectList"; }

    virtual void Error() const;  // EListError "ListIndexError"
    virtual void Grow();
    virtual void Put(int32_t index, TPersistent* item);
    virtual void FreeItem(TPersistent* item);
    virtual int32_t Add(TPersistent* item);
    virtual void Clear();
    virtual int32_t IndexOf(TPersistent* item);
    virtual void Insert(int32_t index, TPersistent* item);
    virtual TPersistent* First();
    virtual TPersistent* Last();
    // The item after (forward) or before the given one; with no item, First or Last.
    virtual TPersistent* Neighbour(TPersistent* item, bool forward);

    TPersistent* Get(int32_t index) const;
    void SetCapacity(int32_t n);
    void SetCount(int32_t n);
    void FreeAll();

    int32_t Count() const { return FCount; }
    int32_t Capacity() const { return FCapacity; }

    bool OwnsItems = true;

protected:
    TPersistent** FItems = nullptr;
    int32_t FCount = 0;
    int32_t FCapacity = 0;
};

enum TDuplicateMode : uint8_t { dmIgnore = 0, dmAccept = 1, dmError = 2 };

class TSortedObjectList : public TObjectList {
public:
    explicit TSortedObjectList(TDuplicateMode duplicates);
    const char* ClassName() const override { return "TSortedObjectList"; }

    void Put(int32_t index, TPersistent* item) override;  // always EListError
    int32_t Add(TPersistent* item) override;
    int32_t IndexOf(TPersistent* item) override;
    // Places the item by its key (the index is ignored). dmIgnore: a duplicate is not added
    // and stays with the caller; dmError: EListError "Duplicate Object index".
    void Insert(int32_t index, TPersistent* item) override;

    virtual TPersistent* KeyOf(TPersistent* item) { return item; }
    // Negative when key1 sorts before key2.
    virtual int Compare(TPersistent* key1, TPersistent* key2) = 0;
    // Binary search; with dmAccept an equal key is placed before all equal ones.
    virtual bool Search(TPersistent* key, int32_t& index);

    TDuplicateMode Duplicates;
};
