#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// How many times each short text (at most 15 bytes: a tax number, with an
// income kind) occurs, held in one flat table: counting a whole declaration
// costs no allocation per text.
class KeyCounts
{
public:
    static constexpr size_t Longest = 15;
    // Adds `delta` to the count of `key`; a count that reaches 0 or below is
    // dropped. A longer text throws std::length_error.
    void Bump(std::string_view key, int delta);
    bool Contains(std::string_view key) const;
    // The number of texts counted.
    size_t size() const { return m_size; }
    void clear();
    void reserve(size_t count);

private:
    struct Entry
    {
        uint64_t hash = 0; // 0: free
        char bytes[Longest] = {};
        uint8_t length = 0;
        int count = 0;
    };
    static uint64_t HashOf(std::string_view key);
    static bool Same(const Entry& entry, uint64_t hash, std::string_view key);
    size_t Find(std::string_view key, uint64_t hash) const;
    void Grow(size_t capacity);

    std::vector<Entry> m_entries;
    size_t m_size = 0;
};
