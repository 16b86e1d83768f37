// TVersion: the program's own file has the version information compiled
// into it; any other file has none.
#include "controls/tversion.h"

#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

namespace {

using tp::TVersion;

void ExpectAllEmpty(const TVersion& version) {
  EXPECT_EQ(version.ProductName(), QString());
  EXPECT_EQ(version.ProductVersion(), QString());
  EXPECT_EQ(version.Copyright(), QString());
  EXPECT_EQ(version.Company(), QString());
  EXPECT_EQ(version.Description(), QString());
}

void ExpectOurOwn(const TVersion& version) {
  EXPECT_EQ(version.ProductName(), QStringLiteral("TrackPorter"));
  EXPECT_EQ(version.ProductVersion(), QStringLiteral("2.0.4.0"));
  EXPECT_EQ(version.Copyright(), QStringLiteral("Copyright (C) TrackPorter developers. SPDX-License-Identifier: GPL-3.0-or-later"));
  EXPECT_EQ(version.Company(), QStringLiteral("TrackPorter developers"));
  EXPECT_EQ(version.Description(), QStringLiteral("TrackPorter for TKR-series"));
}

std::string WriteFile(const QTemporaryDir& dir, const char* name, const std::string& bytes) {
  const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
  return path;
}

TEST(TVersion, HoldsPlaceholdersUntilTheFirstRead) {
  TVersion version;
  EXPECT_EQ(version.ProductName(), QStringLiteral("(ProductName)"));
  EXPECT_EQ(version.ProductVersion(), QStringLiteral("(Version)"));
  EXPECT_EQ(version.Copyright(), QStringLiteral("(Copyright)"));
  EXPECT_EQ(version.Company(), QStringLiteral("(Company)"));
  EXPECT_EQ(version.Description(), QStringLiteral("(Description)"));
  EXPECT_EQ(version.ExeFile(), QString());
}

TEST(TVersion, LoadedReadsTheFiveTextsOfTheProgramsOwnFile) {
  TVersion version;
  version.Loaded();
  ExpectOurOwn(version);
  EXPECT_EQ(version.Description() + QStringLiteral(" Ver.") + version.ProductVersion(),
            QStringLiteral("TrackPorter for TKR-series Ver.2.0.4.0"))
      << "the main window's caption";
}

TEST(TVersion, AnEmptyExeFileMeansTheProgramsOwnFile) {
  TVersion version;
  version.SetExeFile(QString());
  ExpectOurOwn(version);
}

TEST(TVersion, AnyOtherFileGivesFiveEmptyTexts) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  std::ifstream self("/proc/self/exe", std::ios::binary);
  const std::string whole((std::istreambuf_iterator<char>(self)), std::istreambuf_iterator<char>());
  ASSERT_GT(whole.size(), 4096u);
  const std::string inputs[] = {
      WriteFile(dir, "copy-of-the-program", whole),
      WriteFile(dir, "text", "-----BEGIN TRACKPORTER VERSION INFORMATION-----\n"),
      WriteFile(dir, "empty", ""),
      dir.filePath(QStringLiteral("missing")).toStdString(),
  };
  for (const std::string& path : inputs) {
    TVersion version;
    version.Loaded();
    version.SetExeFile(QString::fromStdString(path));
    SCOPED_TRACE(path);
    ExpectAllEmpty(version);
  }
}

TEST(TVersion, TheProgramsOwnFileByItsPathHasItsTexts) {
  TVersion version;
  version.SetExeFile(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
  ExpectOurOwn(version);
}

TEST(TVersion, ALinkedLabelShowsItsTextAtOnceAndAfterEachRead) {
  TVersion version;
  version.Loaded();
  QLabel description, company;
  version.SetDescriptionLabel(&description);
  EXPECT_EQ(description.text(), QStringLiteral("TrackPorter for TKR-series"));
  version.SetCompanyLabel(&company);
  company.setText(QStringLiteral("stale"));
  version.NewVersion();
  EXPECT_EQ(company.text(), QStringLiteral("TrackPorter developers"));
}

}  // namespace
