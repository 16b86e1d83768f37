// The Filter property's pairs and the form Qt's file dialog takes them in.
#include "dialogs/filterlist.h"

#include <gtest/gtest.h>

namespace tp {
namespace {

TEST(ParseFilterList, SplitsTheImportFilterIntoThreeTextsWithTheirPatterns) {
  const auto filters = ParseFilterList("Audio(*.wav;*.aif)|*.wav;*.aif|Windows Wave(*.wav)|*.wav|AIFF(*.aif)|*.aif");
  const QList<FileTypeFilter> expected{
      {"Audio(*.wav;*.aif)", {"*.wav", "*.aif"}},
      {"Windows Wave(*.wav)", {"*.wav"}},
      {"AIFF(*.aif)", {"*.aif"}},
  };
  EXPECT_EQ(filters, expected);
}

TEST(ParseFilterList, ToleratesBlanksEmptyPatternsAndAMissingPatternField) {
  struct Case {
    const char* filter;
    QList<FileTypeFilter> expected;
  };
  const Case cases[] = {
      {"", {}},
      {"Text files| *.txt ; *.log ;", {{"Text files", {"*.txt", "*.log"}}}},
      {"Everything", {{"Everything", {"*"}}}},
      {"Wave|*.wav|Everything", {{"Wave", {"*.wav"}}, {"Everything", {"*"}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter);
    EXPECT_EQ(ParseFilterList(c.filter), c.expected);
  }
}

TEST(QtNameFilters, PutsThePatternsInAGroupOfTheirOwnAfterTheText) {
  const QList<FileTypeFilter> filters{{"Audio(*.wav;*.aif)", {"*.wav", "*.aif"}}, {"AIFF(*.aif)", {"*.aif"}}};
  EXPECT_EQ(QtNameFilters(filters), (QStringList{"Audio(*.wav;*.aif) (*.wav *.aif)", "AIFF(*.aif) (*.aif)"}));
}

TEST(FilterIndexOf, FindsAPairByItsShownTextOrByTheNameQtWasGiven) {
  const auto filters = ParseFilterList("Windows Wave(*.wav)|*.wav|AIFF(*.aif)|*.aif");
  struct Case {
    const char* reported;
    int index;
  };
  const Case cases[] = {
      {"Windows Wave(*.wav)", 1}, {"AIFF(*.aif)", 2}, {"AIFF(*.aif) (*.aif)", 2}, {"AIFF", 0}, {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FilterIndexOf(filters, c.reported), c.index) << c.reported;
}

}  // namespace
}  // namespace tp
