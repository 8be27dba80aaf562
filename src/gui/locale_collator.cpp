#include "gui/locale_collator.h"

#include "gui/text_bytes.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <thread>

namespace {

// Ranks from the texts' order: texts whose keys compare equal share a rank.
template <typename Key, typename Compare>
std::vector<uint32_t> RanksInOrder(const std::vector<Key>& keys, const std::vector<std::size_t>& order, Compare compare)
{
    std::vector<uint32_t> ranks(keys.size());
    uint32_t rank = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && compare(keys[order[i - 1]], keys[order[i]]) != 0)
            ++rank;
        ranks[order[i]] = rank;
    }
    return ranks;
}

// Big-endian first eight bytes: comparing these compares the texts' beginnings, so most
// comparisons of a sort never leave the array being sorted.
uint64_t PrefixOf(const std::string& text)
{
    uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return prefix;
}

std::string CaseFolded(const std::string& text)
{
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
    if (!ascii)
        return TextFromBytes(text).toCaseFolded().toStdString();
    std::string folded = text;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

// The C locale has no linguistic order, and Qt's collator then ignores the case
// setting; case-folded code-point order keeps "case ignored" true there. UTF-8 bytes
// compare in code-point order.
std::vector<uint32_t> RankByFoldedCodePoints(const std::vector<const std::string*>& texts)
{
    std::vector<std::string> keys;
    keys.reserve(texts.size());
    for (const std::string* text : texts)
        keys.push_back(CaseFolded(*text));

    struct Entry {
        uint64_t Prefix;
        std::size_t Index;
    };
    std::vector<Entry> entries;
    entries.reserve(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        entries.push_back({PrefixOf(keys[i]), i});
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        return a.Prefix != b.Prefix ? a.Prefix < b.Prefix : keys[a.Index] < keys[b.Index];
    });

    std::vector<std::size_t> order;
    order.reserve(entries.size());
    for (const Entry& entry : entries)
        order.push_back(entry.Index);
    return RanksInOrder(keys, order, [](const std::string& a, const std::string& b) { return a.compare(b); });
}

// Collation keys are costly to make and to compare, so the work is shared out: every
// thread makes the keys of one slice and sorts it, and the sorted slices are merged.
std::vector<uint32_t> RankByCollation(const QLocale& locale, const std::vector<const std::string*>& texts)
{
    // Every slot starts as a copy of one key (copies share it) and is overwritten below.
    std::vector<QCollatorSortKey> keys(texts.size(), QCollator(locale).sortKey(QString()));
    std::vector<std::size_t> order(texts.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto before = [&](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]) < 0; };

    const std::size_t sliceCount =
        texts.size() < 10000 ? 1 : std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
    std::vector<std::size_t> bounds;
    for (std::size_t slice = 0; slice <= sliceCount; ++slice)
        bounds.push_back(texts.size() * slice / sliceCount);

    const auto workOnSlice = [&](std::size_t slice) {
        QCollator collator{locale};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        for (std::size_t i = bounds[slice]; i < bounds[slice + 1]; ++i)
            keys[i] = collator.sortKey(TextFromBytes(*texts[i]));
        std::sort(order.begin() + static_cast<std::ptrdiff_t>(bounds[slice]),
                  order.begin() + static_cast<std::ptrdiff_t>(bounds[slice + 1]), before);
    };
    std::vector<std::thread> workers;
    for (std::size_t slice = 1; slice < sliceCount; ++slice)
        workers.emplace_back(workOnSlice, slice);
    workOnSlice(0);
    for (std::thread& worker : workers)
        worker.join();
    for (std::size_t slice = 1; slice < sliceCount; ++slice)
        std::inplace_merge(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(bounds[slice]),
                           order.begin() + static_cast<std::ptrdiff_t>(bounds[slice + 1]), before);

    return RanksInOrder(keys, order, [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b); });
}

} // namespace

std::vector<uint32_t> LocaleCollator::RankTexts(const std::vector<const std::string*>& texts) const
{
    const QLocale locale;
    if (locale.language() == QLocale::C)
        return RankByFoldedCodePoints(texts);
    return RankByCollation(locale, texts);
}
