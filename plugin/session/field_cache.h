// The session's cached form fields: found by exact, case-sensitive name
// through a hash map, and walked in the order they were stored, which is the
// document's field order (users compare the listing with the form in front
// of them, so hash order would look random).
#pragma once

#include "session/field_object.h"
#include "win/wide_string.h"

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class FieldCache {
public:
    using Entry = std::pair<WideString, std::unique_ptr<CFieldObj>>;
    using const_iterator = std::vector<Entry>::const_iterator;

    bool Empty() const noexcept { return m_entries.empty(); }
    std::size_t Size() const noexcept { return m_entries.size(); }

    // Sets the look-up map's bucket count before the cache is filled.
    void Rehash(std::size_t buckets) { m_positions.rehash(buckets); }
    std::size_t BucketCount() const noexcept { return m_positions.bucket_count(); }

    // A later field with a name already stored replaces (and frees) the
    // earlier one's entry; the name keeps the place where it first appeared.
    void Store(WideString name, std::unique_ptr<CFieldObj> field) {
        const auto known = m_positions.find(name);
        if (known != m_positions.end()) {
            m_entries[known->second].second = std::move(field);
            return;
        }
        m_positions.emplace(name, m_entries.size());
        m_entries.emplace_back(std::move(name), std::move(field));
    }

    // The cached field named exactly `name`, or null.
    CFieldObj* Find(const WideString& name) const {
        const auto known = m_positions.find(name);
        return known == m_positions.end() ? nullptr : m_entries[known->second].second.get();
    }

    // Frees every cached field. Keeps the bucket count, as the map it
    // replaces did.
    void Clear() noexcept {
        m_entries.clear();
        m_positions.clear();
    }

    // In stored order.
    const_iterator begin() const noexcept { return m_entries.begin(); }
    const_iterator end() const noexcept { return m_entries.end(); }

private:
    std::vector<Entry> m_entries;
    std::unordered_map<WideString, std::size_t> m_positions;
};
