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

}  // namespace
}  // namespace tp
