// TVersion and the version block: this test executable links the block, so
// it reads its own version information back from its own file.
#include "controls/tversion.h"
#include "controls/versionblock.h"

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

TEST(TVersion, AFileWithoutVersionInformationGivesFiveEmptyTexts) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // A well-formed 64-bit little-endian ELF header that declares no sections.
  std::string elf(64, '\0');
  elf.replace(0, 6, "\x7f" "ELF\x02\x01");
  const std::string inputs[] = {
      WriteFile(dir, "elf-without-sections", elf),
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

TEST(TVersion, ACutCopyOfAnExecutableIsRefusedCleanly) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  std::ifstream self("/proc/self/exe", std::ios::binary);
  const std::string whole((std::istreambuf_iterator<char>(self)), std::istreambuf_iterator<char>());
  ASSERT_GT(whole.size(), 4096u);
  // The section table sits at the end of the file; every cut loses it.
  for (size_t length : {size_t(16), size_t(64), size_t(4096), whole.size() / 2, whole.size() - 1}) {
    TVersion version;
    version.SetExeFile(QString::fromStdString(WriteFile(dir, "cut", whole.substr(0, length))));
    SCOPED_TRACE(length);
    ExpectAllEmpty(version);
  }
  TVersion complete;
  complete.SetExeFile(QString::fromStdString(WriteFile(dir, "copy", whole)));
  ExpectOurOwn(complete);
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

TEST(VersionBlock, LooksTextsUpUnderTheFirstTranslation) {
  const auto block = tp::VersionBlock::Parse(
      "-----BEGIN TRACKPORTER VERSION INFORMATION-----\n"
      "\\VarFileInfo\\Translation=0411 03a4 0409 04b0\n"
      "\\StringFileInfo\\041103a4\\FileVersion=1.2\n"
      "-----END TRACKPORTER VERSION INFORMATION-----\n");
  ASSERT_TRUE(block);
  EXPECT_EQ(block->FirstTranslation(), 0x041103a4ul);
  EXPECT_EQ(block->Query("\\StringFileInfo\\041103a4\\FileVersion"), "1.2");
  EXPECT_EQ(block->Query("\\StringFileInfo\\041103a4\\CompanyName"), std::nullopt);
}

TEST(VersionBlock, RefusesABlockWithoutItsDelimitersAndHasNoTranslationWithoutTheTable) {
  EXPECT_FALSE(tp::VersionBlock::Parse("\\VarFileInfo\\Translation=0409 04b0\n"));
  EXPECT_FALSE(tp::VersionBlock::Parse("-----BEGIN TRACKPORTER VERSION INFORMATION-----\n"
                                       "\\VarFileInfo\\Translation=0409 04b0\n"));
  const auto untranslated = tp::VersionBlock::Parse(
      "-----BEGIN TRACKPORTER VERSION INFORMATION-----\n"
      "\\StringFileInfo\\040904b0\\FileVersion=1.2\n"
      "-----END TRACKPORTER VERSION INFORMATION-----\n");
  ASSERT_TRUE(untranslated);
  EXPECT_EQ(untranslated->FirstTranslation(), std::nullopt);
}

}  // namespace
