// The about box's link targets: the scheme goes before the address once.
#include <gtest/gtest.h>

#include "app/aboutlabels.h"

namespace {

TEST(AboutLinks, ThePrefixIsAddedOnlyWhenTheValueLacksIt) {
  struct Case {
    const char* prefix;
    const char* value;
    const char* target;
  } cases[] = {
      {"mailto:", "info@example.org", "mailto:info@example.org"},
      {"mailto:", "mailto:info@example.org", "mailto:info@example.org"},
      {"mailto:", "MailTo:info@example.org", "MailTo:info@example.org"},
      {"https://", "example.org/", "https://example.org/"},
      {"https://", "https://example.org/", "https://example.org/"},
      {"https://", "http", "https://http"},  // shorter than the prefix
      {"mailto:", "", "mailto:"},
  };
  for (const Case& c : cases) EXPECT_EQ(LinkTarget(c.prefix, c.value), c.target) << c.prefix << c.value;
}

}  // namespace
