// Records kept in the order they were added, each added and removed in constant time.
#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

namespace hostsim {

// Owns records in the order they were added. A removal leaves a hole that the next look at the
// whole sequence closes up, so removing many records one after another takes linear time.
template <typename Record> class RecordSequence {
public:
    // Takes the record in at the end; it keeps its address until removed.
    Record& add(std::unique_ptr<Record> record) {
        Record& added = *record;
        slots_[&added] = records_.size();
        records_.push_back(std::move(record));
        return added;
    }
    // Frees the record; no effect for one the sequence does not hold.
    void remove(const Record& record) {
        const auto slot = slots_.find(&record);
        if (slot != slots_.end()) {
            records_[slot->second].reset();
            slots_.erase(slot);
            ++holes_;
        }
    }
    // Every record held, in the order added, without holes.
    const std::vector<std::unique_ptr<Record>>& all() const {
        if (holes_ != 0) {
            std::size_t kept = 0;
            for (std::size_t slot = 0; slot < records_.size(); ++slot) {
                if (records_[slot] != nullptr) {
                    slots_[records_[slot].get()] = kept;
                    records_[kept++].swap(records_[slot]);
                }
            }
            records_.resize(kept);
            holes_ = 0;
        }
        return records_;
    }
    std::size_t size() const { return slots_.size(); }

private:
    // Holes are closed by the const `all()`, which changes no record and no order.
    mutable std::vector<std::unique_ptr<Record>> records_;
    mutable std::unordered_map<const Record*, std::size_t> slots_;
    mutable std::size_t holes_ = 0;
};

} // namespace hostsim
