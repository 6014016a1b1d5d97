// TTagFinder finds a page's tags from bit marks; it must find exactly the tags FindEnclosed finds
// ("<" to ">", one closer skipped when another "<" comes first, the text ending at a NUL), on
// texts long enough to cross the sixteen-byte blocks and sixty-four-byte words of its marks.

#include "generator/MiscUtils.h"
#include "generator/TagFinder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct TFoundTag {
  size_t Open, Close;
  bool Equals;
  bool operator==(const TFoundTag& other) const {
    return Open == other.Open && Close == other.Close && Equals == other.Equals;
  }
};

// As the resource scan read tags before: FindEnclosed, and an "=" before the first ">" (or a
// tag that goes on past it) telling that it may hold an attribute.
std::vector<TFoundTag> TagsFoundEnclosed(const std::string& text) {
  std::vector<TFoundTag> tags;
  TCursor cursor(text);
  TEnclosed tag;
  while (FindEnclosed(cursor, "<", ">", tag)) {
    const char* firstClose = static_cast<const char*>(
        std::memchr(tag.InnerStart, '>', tag.CloserStart + 1 - tag.InnerStart));
    const bool nested = std::memchr(tag.InnerStart, '<', firstClose - tag.InnerStart) != nullptr;
    const bool equals = nested || std::memchr(tag.InnerStart, '=', firstClose - tag.InnerStart);
    tags.push_back({size_t(tag.MatchStart - text.data()), size_t(tag.CloserStart - text.data()), equals});
  }
  return tags;
}

std::vector<TFoundTag> TagsFound(const std::string& text) {
  std::vector<TFoundTag> tags;
  TTagFinder finder(text);
  TEnclosed tag;
  bool equals = false;
  while (finder.Next(tag, equals))
    tags.push_back({size_t(tag.MatchStart - text.data()), size_t(tag.CloserStart - text.data()), equals});
  return tags;
}

TEST(TagFinder, FindsTheTagsFindEnclosedFinds) {
  const std::string pieces[] = {"<", ">", "=", "a", " ", "/", "<p>", "</a>", "<a href=x>",
                                std::string(1, '\0'), "text between tags "};
  std::mt19937 random(4242);
  for (int n = 0; n < 20000; ++n) {
    std::string text;
    for (size_t count = random() % 60; count > 0; --count) text += pieces[random() % 11];
    const std::vector<TFoundTag> expected = TagsFoundEnclosed(text);
    ASSERT_EQ(TagsFound(text), expected) << "text " << n << ": " << text;
  }
}

TEST(TagFinder, APageWithoutTagsOrWithoutItsLastCloser) {
  EXPECT_TRUE(TagsFound("").empty());
  EXPECT_TRUE(TagsFound(std::string(200, 'x') + "<no end").empty());
  const std::string page = std::string(70, 'x') + "<b c=d>" + std::string(60, 'y') + "<<e>f>";
  const std::vector<TFoundTag> tags = TagsFound(page);
  ASSERT_EQ(tags.size(), 2u);
  EXPECT_EQ(tags[0], (TFoundTag{70, 76, true}));
  EXPECT_EQ(tags[1], (TFoundTag{137, 142, true}));  // goes on past its first ">"
}

}  // namespace
