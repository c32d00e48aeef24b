#pragma once
// A list of records behind one lock. Nobody holds references into it: reads
// copy a record out, changes write a whole record back.
#include "support/Handles.h"

#include <vector>

template <typename T>
class CSafeLList {
public:
    CSafeLList() = default;
    virtual ~CSafeLList() = default;
    CSafeLList(const CSafeLList&) = delete;
    CSafeLList& operator=(const CSafeLList&) = delete;

    bool Add(const T& item) {
        CriticalSectionLock guard(lock_);
        // push_back of an element of the same vector is safe by the standard.
        items_.push_back(item);
        return true;
    }

    bool GetAt(unsigned index, T& out) {
        CriticalSectionLock guard(lock_);
        if (index >= items_.size()) return false;
        out = items_[index];
        return true;
    }

    // Overwrites every record whose setup_name equals the given one.
    void UpdateBySetupName(const T& item) {
        CriticalSectionLock guard(lock_);
        for (T& stored : items_) {
            if (&stored != &item && stored.setup_name == item.setup_name) stored = item;
        }
    }

    int Count() {
        CriticalSectionLock guard(lock_);
        return static_cast<int>(items_.size());
    }

    void Clear() {
        CriticalSectionLock guard(lock_);
        items_.clear();
    }

private:
    CriticalSection lock_;
    std::vector<T> items_;
};
