#include "result_entries.h"

#include "html_text.h"

#include <algorithm>

namespace {

// {K}: the escaped keyword, {S}: its slug.
struct EntryTemplate {
    std::string_view Title;
    std::string_view Address;
    std::string_view Snippet;
};

constexpr EntryTemplate entryTemplates[EntryTemplateCount] = {
    { "{K} - Wikiverse, the free encyclopedia", "en.wikiverse.org/wiki/{S}",
        "<b>{K}</b> explained in depth: its history, the main variants, and references for further reading." },
    { "{K} | Official Site", "www.{S}.com/",
        "Welcome to the official <b>{K}</b> site. Products, news, support and contact details in one place." },
    { "Best {K} Deals - Compare Prices", "www.pricecomparo.com/{S}",
        "Compare prices on <b>{K}</b> from many stores. Read reviews, check stock and save on your next order." },
    { "{K} Reviews and Ratings", "www.reviewhall.net/{S}/",
        "Honest <b>{K}</b> reviews written by real buyers. See ratings, pros and cons, and the top picks this year." },
    { "{K} News - Latest Headlines", "news.dailywire-online.com/topics/{S}",
        "The latest <b>{K}</b> news, updated around the clock. Stories, analysis and opinion from our reporters." },
    { "Cheap {K} Online - Free Delivery", "www.shopdirect-store.co.uk/{S}.html",
        "Buy <b>{K}</b> online with free delivery on orders over 25 pounds. Easy returns within 30 days." },
    { "The Complete Guide to {K}", "www.howtoguides.org/guide/{S}",
        "Everything a beginner needs to know about <b>{K}</b>: how to choose, how to get started, and mistakes to avoid." },
    { "{K} Forum - Discussion and Tips", "forum.{S}-community.net/",
        "Join the <b>{K}</b> community: ask questions, share tips and talk with other enthusiasts." },
    { "{K} Pictures and Images", "www.photobank.com/search/{S}",
        "Browse high quality <b>{K}</b> pictures, photos and images. Free to download for personal use." },
    { "{K} - Local Listings and Directions", "local.citylistings.com/{S}",
        "Find <b>{K}</b> near you: opening hours, phone numbers, maps and directions for places in your area." },
};

std::string Fill(std::string_view pattern, std::string_view keyword, std::string_view slug)
{
    std::string text;
    while (!pattern.empty()) {
        if (pattern.starts_with("{K}")) {
            text += keyword;
            pattern.remove_prefix(3);
        } else if (pattern.starts_with("{S}")) {
            text += slug;
            pattern.remove_prefix(3);
        } else {
            text += pattern.front();
            pattern.remove_prefix(1);
        }
    }
    return text;
}

}

std::vector<ResultEntry> MakeResultEntries(std::string_view keyword, std::size_t first, std::size_t count)
{
    std::string escaped = HtmlEscape(keyword);
    std::string slug = Slug(keyword);
    std::vector<ResultEntry> entries;
    for (std::size_t i = 0; i < std::min(count, EntryTemplateCount); ++i) {
        const EntryTemplate& entry = entryTemplates[(first + i) % EntryTemplateCount];
        entries.push_back({ Fill(entry.Title, escaped, slug), Fill(entry.Address, escaped, slug),
            Fill(entry.Snippet, escaped, slug) });
    }
    return entries;
}
