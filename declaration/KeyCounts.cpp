#include "declaration/KeyCounts.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

// Open addressing with linear probing; a removal shifts the entries after it
// back, so a search never needs markers of removed entries.

uint64_t KeyCounts::HashOf(std::string_view key)
{
    uint64_t hash = 14695981039346656037ull ^ key.size();
    for (const char c : key)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    hash ^= hash >> 29;
    return hash | 1; // never 0, which marks a free entry
}

bool KeyCounts::Same(const Entry& entry, uint64_t hash, std::string_view key)
{
    return entry.hash == hash && entry.length == key.size() &&
           std::memcmp(entry.bytes, key.data(), key.size()) == 0;
}

size_t KeyCounts::Find(std::string_view key, uint64_t hash) const
{
    const size_t mask = m_entries.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask)
        if (m_entries[at].hash == 0 || Same(m_entries[at], hash, key))
            return at;
}

void KeyCounts::Grow(size_t capacity)
{
    std::vector<Entry> old;
    old.swap(m_entries);
    m_entries.resize(capacity);
    const size_t mask = capacity - 1;
    for (const Entry& entry : old) {
        if (entry.hash == 0)
            continue;
        size_t at = entry.hash & mask;
        while (m_entries[at].hash != 0)
            at = (at + 1) & mask;
        m_entries[at] = entry;
    }
}

void KeyCounts::reserve(size_t count)
{
    size_t capacity = 16;
    while (capacity < count * 2)
        capacity *= 2;
    if (capacity > m_entries.size())
        Grow(capacity);
}

void KeyCounts::clear()
{
    std::fill(m_entries.begin(), m_entries.end(), Entry());
    m_size = 0;
}

bool KeyCounts::Contains(std::string_view key) const
{
    return key.size() <= Longest && !m_entries.empty() && m_entries[Find(key, HashOf(key))].hash != 0;
}

void KeyCounts::Bump(std::string_view key, int delta)
{
    if (key.size() > Longest)
        throw std::length_error("KeyCounts: text too long");
    if (delta == 0)
        return;
    reserve(m_size + 1);
    const uint64_t hash = HashOf(key);
    size_t at = Find(key, hash);
    Entry& entry = m_entries[at];
    if (entry.hash == 0) {
        if (delta < 0)
            return;
        entry.hash = hash;
        entry.length = static_cast<uint8_t>(key.size());
        std::memcpy(entry.bytes, key.data(), key.size());
        entry.count = delta;
        ++m_size;
        return;
    }
    entry.count += delta;
    if (entry.count > 0)
        return;
    // Removed: every entry after it up to a free one moves back into the
    // gap when its home lies at or before the gap.
    const size_t mask = m_entries.size() - 1;
    size_t gap = at;
    for (size_t next = (gap + 1) & mask; m_entries[next].hash != 0; next = (next + 1) & mask) {
        const size_t home = m_entries[next].hash & mask;
        if (((next - home) & mask) >= ((next - gap) & mask)) {
            m_entries[gap] = m_entries[next];
            gap = next;
        }
    }
    m_entries[gap] = Entry();
    --m_size;
}
