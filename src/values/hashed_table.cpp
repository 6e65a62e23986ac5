#include "values/hashed_table.h"

#include "values/record_hold.h"
#include "values/strings.h"

#include <cstring>

namespace quillet {
namespace {

constexpr uint32_t entry_header_words = 3;

uint32_t padded_key_words(uint32_t key_length) {
    return (key_length + 3) / 4;
}

// Word access inside one table text; a word outside the text reads as 0.
class TableView {
public:
    explicit TableView(Addr record)
        : text_(str_text(record)), words_(uint32_t(str_length(record)) / 4),
          bytes_(uint32_t(str_length(record))) {}

    uint32_t words() const { return words_; }
    uint32_t word(uint32_t i) const { return i < words_ ? load_u32(text_ + 4 * i) : 0; }
    Addr word_addr(uint32_t i) const { return text_ + 4 * i; }

    // The bucket head's word index for key, or 0 when the header does not fit the text.
    uint32_t bucket_head(std::string_view key) const {
        auto buckets = static_cast<int32_t>(word(0));
        if (buckets < 1 || uint32_t(buckets) >= words_) return 0;
        int32_t r = hashed_table_hash(key) % buckets;
        return uint32_t(r < 0 ? -r : r) + 1;
    }

    bool key_matches(uint32_t entry, std::string_view key) const {
        if (word(entry + 2) != key.size()) return false;
        uint64_t key_start = uint64_t{entry + entry_header_words} * 4;
        if (key_start + key.size() > bytes_) return false;
        return key.empty() ||
               std::memcmp(host_ptr(text_ + uint32_t(key_start)), key.data(), key.size()) == 0;
    }

    struct Found {
        uint32_t entry;     // word index of the matching entry, 0 for none
        uint32_t link_word; // word that would link a new entry: the bucket head or the last next
    };

    // Walks the chain of key's bucket. A chain is followed at most as many steps as the text
    // has words, so a link cycle in a damaged text ends too.
    Found find(std::string_view key) const {
        uint32_t link = bucket_head(key);
        if (link == 0) return {0, 0};
        for (uint32_t steps = 0; steps <= words_; ++steps) {
            uint32_t entry = word(link);
            if (entry == 0 || entry >= words_) return {0, link};
            if (key_matches(entry, key)) return {entry, link};
            link = entry;
        }
        return {0, 0};
    }

private:
    Addr text_;
    uint32_t words_;
    uint32_t bytes_;
};

Addr new_table(Addr cell, uint32_t extra_bytes) {
    uint32_t header = 4 * (1 + uint32_t(hashed_table_buckets));
    Addr rec = str_prepare(cell, int32_t(header + extra_bytes));
    std::memset(host_ptr(str_text(rec)), 0, header);
    store_u32(str_text(rec), uint32_t(hashed_table_buckets));
    str_set_length(rec, int32_t(header));
    return rec;
}

} // namespace

int32_t hashed_table_hash(std::string_view key) {
    uint32_t lane[3] = {0, 0, 0};
    for (size_t i = 0; i < key.size(); ++i)
        lane[i % 3] ^= static_cast<uint32_t>(int32_t{static_cast<signed char>(key[i])});
    return static_cast<int32_t>((lane[0] * 256u + lane[1]) * 256u + lane[2]);
}

int32_t hashed_table_find(Addr record, std::string_view key) {
    TableView table(record);
    uint32_t entry = table.find(key).entry;
    return entry ? static_cast<int32_t>(table.word(entry + 1)) : hashed_table_missing;
}

void hashed_table_store(Addr table_cell, Addr key_record, int32_t value) {
    RecordHold key_hold(key_record); // the key may be the table's own cell
    std::string_view key = str_view(key_record);
    uint32_t key_length = uint32_t(key.size());
    uint64_t entry_bytes = 4 * (uint64_t{entry_header_words} + padded_key_words(key_length));

    Addr rec = load_u32(table_cell);
    int32_t length = str_length(rec);
    if (length == 0) {
        if (entry_bytes > uint64_t{INT32_MAX} - 4 * 120) raise_error(err::string_too_long);
        rec = new_table(table_cell, uint32_t(entry_bytes));
        length = str_length(rec);
    }
    TableView::Found found = TableView(rec).find(key);
    if (found.link_word == 0 || length % 4 != 0) raise_error(err::system_error);

    if (found.entry) {
        rec = str_reserve(table_cell, length);
        store_i32(TableView(rec).word_addr(found.entry + 1), value);
        return;
    }
    uint64_t new_length = uint64_t(length) + entry_bytes;
    if (new_length > INT32_MAX) raise_error(err::string_too_long);
    rec = str_reserve(table_cell, int32_t(new_length));
    uint32_t entry = uint32_t(length) / 4;
    Addr at = str_text(rec) + uint32_t(length);
    std::memset(host_ptr(at), 0, size_t(entry_bytes));
    store_u32(at + 4, uint32_t(value));
    store_u32(at + 8, key_length);
    if (key_length) std::memcpy(host_ptr(at + 12), key.data(), key_length);
    store_u32(TableView(rec).word_addr(found.link_word), entry);
    str_set_length(rec, int32_t(new_length));
}

} // namespace quillet
