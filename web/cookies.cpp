#include "web/cookies.h"

#include <bit>
#include <cstdint>
#include <deque>
#include <functional>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kDeletionMark = "=deleted";

bool CarriesDeletionMark(const Text& item) {
  return item.size() >= kDeletionMark.size() &&
         std::string_view(item).substr(item.size() - kDeletionMark.size()) == kDeletionMark;
}

// The texts met so far, for look-ups in constant time: an open-addressing
// table of indexes into the list of texts met, sized for `expected` texts (it
// grows beyond). The viewed texts must outlive it.
class SeenTexts {
 public:
  explicit SeenTexts(std::size_t expected) : slots_(SlotsFor(expected), 0) { entries_.reserve(expected); }

  // True when `text` was not met before; it is then remembered.
  bool Insert(std::string_view text) {
    const std::size_t hash = std::hash<std::string_view>()(text);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const std::uint32_t slot = slots_[i];
      if (slot == 0) break;
      const Entry& entry = entries_[slot - 1];
      if (entry.hash == hash && entry.text == text) return false;
    }
    entries_.push_back({hash, text});
    if (SlotsFor(entries_.size()) > slots_.size()) {
      slots_.assign(SlotsFor(entries_.size()) * 2, 0);
      for (std::size_t k = 0; k < entries_.size(); ++k) Place(entries_[k].hash, k);
    } else {
      Place(hash, entries_.size() - 1);
    }
    return true;
  }

 private:
  struct Entry {
    std::size_t hash;
    std::string_view text;
  };

  // At most two in three slots are used.
  static std::size_t SlotsFor(std::size_t count) { return std::bit_ceil(count + count / 2 + 2); }

  void Place(std::size_t hash, std::size_t index) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = static_cast<std::uint32_t>(index + 1);
  }

  std::vector<std::uint32_t> slots_;  // 0: free, else 1 + index into entries_
  std::vector<Entry> entries_;
};

}  // namespace

Text CookieMerge(Text& cookies, Text& returnedCookies) {
  cookies = RemoveAllSpaces(cookies);
  returnedCookies = RemoveAllSpaces(returnedCookies);
  const TextArray oldItems = SplitText(cookies, ";");
  TextArray items = SplitText(returnedCookies, ";");

  // An old item stays only when no item of the list, returned or carried over
  // before it, has its name.
  // The names are looked up as views into the items, which stay in place
  // until the carried-over items are appended after the loop; a name that is
  // not the start of its item (never so once the blanks are gone) is kept aside.
  std::deque<Text> namesAside;
  SeenTexts seenNames(static_cast<std::size_t>(items.Count() + oldItems.Count()));
  const auto firstMeeting = [&](const Text& item) {
    Text name = CookieName(item);
    std::string_view view = std::string_view(item).substr(0, name.size());
    if (view != name) view = namesAside.emplace_back(std::move(name));
    return seenNames.Insert(view);
  };
  for (const Text& item : items) firstMeeting(item);
  std::vector<const Text*> carriedOver;
  for (const Text& item : oldItems) {
    if (firstMeeting(item)) carriedOver.push_back(&item);
  }
  for (const Text* item : carriedOver) items.Append(*item);

  Text merged;
  merged.reserve(cookies.size() + returnedCookies.size() + 2 * static_cast<std::size_t>(items.Count()));
  for (const Text& item : items) {
    if (CarriesDeletionMark(item)) continue;
    merged += item;
    merged += "; ";
  }
  cookies = DedupeJoined(TextLeft(merged, TextLength(merged) - 2), "; ");
  return cookies;
}

Text CookieName(const Text& item) {
  const int equals = FindText(item, "=");
  return TrimBothEnds(equals == -1 ? item : TextLeft(item, equals - 1));
}

bool CookieListHasName(const TextArray& items, const Text& name) {
  for (const Text& item : items)
    if (CookieName(item) == name) return true;
  return false;
}

Text DedupeJoined(const Text& text, const Text& delimiter) {
  const TextArray members = SplitText(text, delimiter);
  SeenTexts seen(static_cast<std::size_t>(members.Count()));
  Text result;
  result.reserve(text.size() + delimiter.size());
  for (const Text& member : members) {
    if (!seen.Insert(member)) continue;
    result += member;
    result += delimiter;
  }
  return TextLeft(result, TextLength(result) - TextLength(delimiter));
}

int ArrayFindText(const TextArray& array, const Text& text) {
  for (int i = 1; i <= array.Count(); ++i)
    if (array.Member(i) == text) return i;
  return -1;
}
