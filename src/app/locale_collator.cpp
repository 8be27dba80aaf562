#include "app/locale_collator.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace {

QString FromBytes(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Ranks from one key per text, so each text is converted and collated once.
template <typename Key, typename Compare>
std::vector<uint32_t> RankByKeys(const std::vector<Key>& keys, Compare compare)
{
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return compare(keys[a], keys[b]) < 0; });

    std::vector<uint32_t> ranks(keys.size());
    uint32_t rank = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && compare(keys[order[i - 1]], keys[order[i]]) != 0)
            ++rank;
        ranks[order[i]] = rank;
    }
    return ranks;
}

} // namespace

std::vector<uint32_t> LocaleCollator::RankTexts(const std::vector<const std::string*>& texts) const
{
    const QLocale locale;
    if (locale.language() == QLocale::C) {
        // The C locale has no linguistic order, and Qt's collator then ignores the case
        // setting; case-folded code-point order keeps "case ignored" true there too.
        std::vector<QString> keys;
        keys.reserve(texts.size());
        for (const std::string* text : texts)
            keys.push_back(FromBytes(*text).toCaseFolded());
        return RankByKeys(keys, [](const QString& a, const QString& b) { return a.compare(b); });
    }

    QCollator collator{locale};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (const std::string* text : texts)
        keys.push_back(collator.sortKey(FromBytes(*text)));
    return RankByKeys(keys, [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b); });
}
