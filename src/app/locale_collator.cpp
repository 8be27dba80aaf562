#include "app/locale_collator.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>

std::vector<uint32_t> LocaleCollator::RankTexts(const std::vector<const std::string*>& texts) const
{
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);

    // One sort key per text, so each text is converted and collated once.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (const std::string* text : texts)
        keys.push_back(collator.sortKey(QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size()))));

    std::vector<std::size_t> order(texts.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]) < 0; });

    std::vector<uint32_t> ranks(texts.size());
    uint32_t rank = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && keys[order[i - 1]].compare(keys[order[i]]) != 0)
            ++rank;
        ranks[order[i]] = rank;
    }
    return ranks;
}
